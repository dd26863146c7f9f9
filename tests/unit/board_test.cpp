#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "game_fixture.h"

namespace {

using Picture = std::array<std::string_view, 8>;

constexpr std::uint8_t Step(int offset) { return static_cast<std::uint8_t>(offset); }

void SetPicture(const Picture& rows, Colour toMove)
{
    SetField({rows[0], rows[1], rows[2], rows[3], rows[4], rows[5], rows[6], rows[7]}, toMove);
}

std::vector<int> LegalMoves()
{
    CollectLegalMoves();
    return {MoveList + 1, MoveList + 1 + MoveListCount};
}

// The same position with the colours exchanged.
Picture Swapped(const Picture& rows, std::array<std::string, 8>& storage)
{
    Picture out;
    for (int i = 0; i < 8; ++i) {
        storage[i] = rows[i];
        for (char& c : storage[i])
            c = c == 'X' ? 'O' : c == 'O' ? 'X' : c;
        out[i] = storage[i];
    }
    return out;
}

} // namespace

TEST_F(GameTest, InitBoardSetsUpTheStartOverAnyEarlierState)
{
    std::fill(std::begin(Board), std::end(Board), White);
    DiscCount[Black] = DiscCount[White] = 40;
    SideToMove = White;
    InitBoard();
    EXPECT_TRUE(BorderIntact());
    EXPECT_EQ(CountCells(Empty), 60);
    EXPECT_EQ(Board[44], Black);
    EXPECT_EQ(Board[45], White);
    EXPECT_EQ(Board[54], White);
    EXPECT_EQ(Board[55], Black);
    EXPECT_EQ(DiscCount[Black], 2);
    EXPECT_EQ(DiscCount[White], 2);
    EXPECT_EQ(SideToMove, Black);
    EXPECT_EQ(Opponent, White);
}

TEST_F(GameTest, LegalMovesAreListedInAscendingOrder)
{
    const Picture start = {"........", "........", "........", "...XO...", "...OX...", "........", "........", "........"};
    const Picture first = {".OX.....", "........", "........", "........", "........", "........", "........", "........"};
    const Picture last = {"........", "........", "........", "........", "........", "........", "........", ".....XO."};
    const Picture blocked = {"X.......", "........", "........", "........", "........", "........", "........", ".......O"};
    struct Case {
        Picture rows;
        Colour mover;
        std::vector<int> moves;
    } cases[] = {
        {start, Black, {35, 46, 53, 64}},
        {start, White, {34, 43, 56, 65}},
        {first, Black, {11}},  // the first and the last cell scanned
        {first, White, {14}},
        {last, Black, {88}},
        {last, White, {85}},
        {blocked, Black, {}},
        {blocked, White, {}},
    };
    for (const Case& c : cases) {
        SetPicture(c.rows, c.mover);
        EXPECT_EQ(LegalMoves(), c.moves) << "mover " << int(c.mover);
        EXPECT_EQ(HasNoLegalMove(), c.moves.empty());
    }
}

TEST_F(GameTest, BorderAndOccupiedCellsAreNeverLegalEvenWhenTheyWouldBracket)
{
    SetField({"OXOOX..O", "X.....X.", "XOX.....", "........", "........", "........", ".X....X.", "O......O"});
    struct Case {
        int cell, step;
    } cases[] = {{1, 10}, {9, 9}, {10, 1}, {90, -9}, {99, -11}, {13, 1}, {31, 1}};
    for (const Case& c : cases) {
        EXPECT_TRUE(FlanksInDirection(static_cast<CellIndex>(c.cell), Step(c.step))) << c.cell;
        EXPECT_FALSE(IsLegalMove(static_cast<CellIndex>(c.cell))) << c.cell;
    }
}

TEST_F(GameTest, OnlyARunClosedByAnOwnDiscBrackets)
{
    SetField({"........", "........", "........", ".OO.....", "....OOOO", "...OX...", ".X......", "........"});
    struct Case {
        int cell, step;
        bool flanks;
    } cases[] = {
        {41, 1, false},   // the run ends at an empty cell
        {54, 1, false},   // the run ends at the border
        {61, 1, false},   // first neighbour empty
        {71, 1, false},   // first neighbour own
        {81, 10, false},  // first neighbour border
        {63, 1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FlanksInDirection(static_cast<CellIndex>(c.cell), Step(c.step)), c.flanks) << c.cell;
}

TEST_F(GameTest, PlaceDiscFlipsEveryBracketedRunAndKeepsTheCounts)
{
    // Black at 44 brackets up-left (1), up-right (1), left (2) and right
    // (1); the run down ends at an empty cell, and the White disc beyond
    // Black's 46 is not part of the run.
    const Picture before = {"........", ".X...X..", "..O.O...", "XOO.OXOX", "...O....", "........", "........", "........"};
    const Picture after = {"........", ".X...X..", "..X.X...", "XXXXXXOX", "...O....", "........", "........", "........"};
    std::array<std::string, 8> s1, s2;
    struct Case {
        Picture before, after;
        Colour mover;
    } cases[] = {{before, after, Black}, {Swapped(before, s1), Swapped(after, s2), White}};
    for (const Case& c : cases) {
        SetPicture(c.before, c.mover);
        const Colour opponent = Opponent;
        const std::int32_t mine = DiscCount[c.mover], theirs = DiscCount[opponent];
        ASSERT_TRUE(IsLegalMove(44));
        PlaceDisc(44);
        std::uint8_t played[BoardSize];
        std::copy(std::begin(Board), std::end(Board), played);
        EXPECT_EQ(DiscCount[c.mover], mine + 5 + 1);
        EXPECT_EQ(DiscCount[opponent], theirs - 5);
        EXPECT_EQ(SideToMove, c.mover);
        SetPicture(c.after, c.mover);
        EXPECT_TRUE(std::equal(std::begin(Board), std::end(Board), played)) << "mover " << int(c.mover);
    }
}

TEST_F(GameTest, SwapColourExchangesOnlyTheTwoColours)
{
    const std::pair<Colour, Colour> cases[] = {{Black, White}, {White, Black}, {Empty, Empty}, {Border, Border}};
    for (auto [in, out] : cases) {
        Colour c = in;
        SwapColour(c);
        EXPECT_EQ(c, out);
    }
}

// The move list is found for all cells at once, not cell by cell; on any
// position, legal or not, it must be exactly the cells IsLegalMove accepts.
TEST_F(GameTest, TheMoveListHoldsExactlyTheCellsIsLegalMoveAccepts)
{
    std::mt19937 random(2026);
    for (int position = 0; position < 3000; ++position) {
        InitBoard();
        int filled = static_cast<int>(random() % 65);
        for (int row = 1; row <= 8; ++row)
            for (int column = 1; column <= 8; ++column)
                Board[10 * row + column] = random() % 64 < static_cast<unsigned>(filled)
                                               ? static_cast<std::uint8_t>(Black + random() % 2)
                                               : std::uint8_t{Empty};
        for (Colour side : {Colour{Black}, Colour{White}}) {
            SideToMove = side;
            Opponent = side == Black ? White : Black;
            std::vector<CellIndex> expected;
            for (int cell = FirstPlayingCell; cell <= LastPlayingCell; ++cell)
                if (IsLegalMove(static_cast<CellIndex>(cell)))
                    expected.push_back(static_cast<CellIndex>(cell));
            CollectLegalMoves();
            ASSERT_EQ(std::vector<CellIndex>(MoveList + 1, MoveList + 1 + MoveListCount), expected)
                << "position " << position;
            ASSERT_EQ(HasNoLegalMove(), expected.empty()) << "position " << position;
        }
    }
}
