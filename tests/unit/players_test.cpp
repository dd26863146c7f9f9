#include <algorithm>
#include <vector>

#include "console/input.h"
#include "console/random.h"
#include "game_fixture.h"

namespace {

// A person to move in the starting position, on a console, so that every
// statement shows up as its own write.
void HumanAtStart(const std::string& input)
{
    ResetAll();
    Fake.stdoutType = FILE_TYPE_CHAR;
    ScriptInput({input});
    InitBoard();
    PlayerKind[Black] = 'M';
}

void ExpectPlayed35()
{
    EXPECT_EQ(Board[35], Black);
    EXPECT_EQ(Board[45], Black);
    EXPECT_EQ(DiscCount[Black], 4);
    EXPECT_EQ(DiscCount[White], 1);
    EXPECT_FALSE(QuitRequested);
}

} // namespace

TEST_F(GameTest, UnplayableCellsAreAskedForAgainWithNothingElseWritten)
{
    // Occupied, bracketing nothing, border, out of range, a lone 3 (a border cell).
    for (const char* bad : {"44", "11", "5", "100", "-1", "3", "99"}) {
        HumanAtStart(std::string(bad) + "\r\n35\r\n");
        QuitRequested = true;
        TakeTurn();
        EXPECT_EQ(Fake.writes, std::vector<std::string>(2, cp932::MovePrompt)) << bad;
        ExpectPlayed35();
    }
}

TEST_F(GameTest, NumberFormsAndTheRestOfTheLine)
{
    // Each plays 35 after a single prompt; the rest of its line is dropped.
    for (const char* line : {"35", "+35", "$23", "0x23", "35 foo bar", " \t35", "\r\n\r\n35"}) {
        HumanAtStart(std::string(line) + "\r\nQ\r\n");
        TakeTurn();
        EXPECT_EQ(Fake.writes, std::vector<std::string>(1, cp932::MovePrompt)) << line;
        ExpectPlayed35();
        EXPECT_EQ(ReadCharacter(ConsoleInput), 'Q') << line;
    }
}

TEST_F(GameTest, ZeroOrTheEndOfTheInputAbandonsWithoutTouchingTheBoard)
{
    for (const char* input : {"0\r\n", "00\r\n", "-0\r\n", ""}) {
        HumanAtStart(input);
        std::uint8_t before[BoardSize];
        std::copy(std::begin(Board), std::end(Board), before);
        TakeTurn();
        EXPECT_TRUE(QuitRequested) << input;
        EXPECT_TRUE(std::equal(std::begin(Board), std::end(Board), before)) << input;
        EXPECT_EQ(DiscCount[Black], 2);
        EXPECT_EQ(DiscCount[White], 2);
        EXPECT_EQ(SideToMove, Black);
        EXPECT_EQ(Fake.writes, std::vector<std::string>(1, cp932::MovePrompt)) << input;
    }
}

TEST_F(GameTest, ComputerPlaysTheLegalCellPickedByOneDrawAndAnnouncesIt)
{
    struct Case {
        std::uint32_t seed;
        std::uint8_t kind;
        int cell;
        std::uint32_t nextSeed;
    } cases[] = {
        // The four starting moves 35, 46, 53, 64 are draws 0..3 over 4.
        {1, 'C', 35, 134775814},
        {870078620, 'C', 46, 1172187917},
        {1172187917, 'C', 53, 2884733762},
        {134775814, 0, 64, 3698175007},  // any kind but M is the computer
    };
    for (const Case& c : cases) {
        ResetAll();
        Fake.stdoutType = FILE_TYPE_CHAR;
        InitBoard();
        PlayerKind[Black] = c.kind;
        RandomSeed = c.seed;
        QuitRequested = true;
        TakeTurn();
        EXPECT_EQ(Fake.writes, std::vector<std::string>{std::to_string(c.cell) + cp932::Places + "\r\n"});
        EXPECT_EQ(Board[c.cell], Black) << c.cell;
        EXPECT_EQ(DiscCount[Black], 4);
        EXPECT_EQ(RandomSeed, c.nextSeed) << "exactly one draw";
        EXPECT_FALSE(QuitRequested);
        EXPECT_EQ(Fake.readCalls, 0);
    }
}

TEST_F(GameTest, ASingleLegalMoveStillTakesOneDraw)
{
    Fake.stdoutType = FILE_TYPE_CHAR;
    SetField({"XO......", "........", "........", "........", "........", "........", "........", "........"});
    PlayerKind[Black] = 'C';
    RandomSeed = 86399999;
    TakeTurn();
    EXPECT_EQ(Fake.writes, std::vector<std::string>{"13" + cp932::Places + "\r\n"});
    EXPECT_EQ(RandomSeed, 3106359292u);
    EXPECT_EQ(DiscCount[Black], 3);
    EXPECT_EQ(DiscCount[White], 0);
}
