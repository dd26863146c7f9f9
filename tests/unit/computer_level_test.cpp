// Above level 0 the computer plays one of the moves the engine rates best
// for the side to move, picked by exactly one draw, announced as at level 0.
#include <vector>

#include "console/random.h"
#include "engine/engine.h"
#include "game_fixture.h"

namespace {

// The side to move's discs as own, from the board the way a test sees it.
engine::Position PositionOnBoard()
{
    engine::Position p{0, 0};
    for (int cell = 11; cell <= 88; ++cell) {
        engine::Bitboard bit = engine::Bitboard{1} << engine::SquareOfCell(cell);
        if (Board[cell] == SideToMove)
            p.own |= bit;
        else if (Board[cell] == Opponent)
            p.opp |= bit;
    }
    return p;
}

} // namespace

TEST_F(GameTest, AboveLevelZeroTheComputerPlaysABestMoveAfterOneDraw)
{
    engine::Engine search;
    struct Case {
        std::vector<std::string_view> rows;
        Colour toMove;
    } cases[] = {
        {{"........", "........", "........", "...XO...", "...OX...", "........", "........", "........"}, Black},
        {{"........", "........", "....X...", "...XX...", "...OX...", "........", "........", "........"}, White},
        {{"........", ".O......", "..OOX...", "..OXXX..", "..XOOO..", ".X.O....", "........", "........"}, White},
        {{"XO......", "........", "........", "........", "........", "........", "........", "........"}, Black},
    };
    for (int level = 1; level <= 3; ++level) {
        for (const Case& c : cases) {
            ResetAll();
            Fake.stdoutType = FILE_TYPE_CHAR;
            SetField({c.rows[0], c.rows[1], c.rows[2], c.rows[3], c.rows[4], c.rows[5], c.rows[6], c.rows[7]},
                     c.toMove);
            int best[64], discs;
            int count = search.Analyse(PositionOnBoard(), level, best, discs);
            RandomSeed = 12345;
            int pick = RandomBelow(count);
            std::uint32_t afterOneDraw = RandomSeed;
            RandomSeed = 12345;
            ComputerLevel = level;
            PrepareComputerPlayer();
            CellIndex move = ChooseComputerMove();
            ComputerLevel = 0;
            EXPECT_TRUE(IsLegalMove(move)) << int(move);
            EXPECT_EQ(move, engine::CellOfSquare(best[pick]));
            EXPECT_EQ(RandomSeed, afterOneDraw);
            EXPECT_EQ(Fake.writes, std::vector<std::string>{std::to_string(move) + cp932::Places + "\r\n"});
        }
    }
}
