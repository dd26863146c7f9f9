#include <algorithm>
#include <vector>

#include "console/random.h"
#include "game_fixture.h"

namespace {

const std::string CrLf = "\r\n";
const std::string Heading = std::string(22, ' ') + " 0 1 2 3 4 5 6 7 8 9";
const std::string BlackTurn = Hex("81 9C 82 CC 94 D4 82 C5 82 B7");
const std::string WhiteTurn = Hex("81 9B 82 CC 94 D4 82 C5 82 B7");
const std::string Kinds = cp932::Question + CrLf + cp932::BlackMark + cp932::KindPrompt;

std::string CountLine(int black, int white)
{
    // Padded by hand: GCC 12 at -O3 misreads `const char* + std::string&&` as an overlapping copy.
    auto field = [](int n) {
        std::string digits = std::to_string(n);
        return digits.size() < 2 ? ' ' + digits : digits;
    };
    return std::string(22, ' ') + Hex("81 40 81 9C") + field(black) + Hex("8C C2 81 40") + Hex("81 40 81 9B") +
           field(white) + Hex("8C C2 81 40");
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

struct Drawing {
    std::string field;  // the ten rows and the count line
    std::string countLine;
    std::string turn;
    std::string next;  // the line written after the drawing
};

std::vector<Drawing> Drawings(const std::string& out)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = out.find(CrLf, from)) != std::string::npos; from = at + 2)
        lines.push_back(out.substr(from, at - from));
    lines.push_back(out.substr(from));
    std::vector<Drawing> drawings;
    for (std::size_t h = 0; h + 13 < lines.size(); ++h)
        if (lines[h] == Heading) {
            Drawing d;
            for (std::size_t i = h + 1; i <= h + 11; ++i)
                d.field += lines[i] + "|";
            d.countLine = lines[h + 11];
            d.turn = lines[h + 12];
            d.next = lines[h + 13];
            drawings.push_back(d);
        }
    return drawings;
}

SYSTEMTIME Clock(int i)
{
    return SYSTEMTIME{2026, 1, 4, 1, WORD(i % 24), WORD(i * 7 % 60), WORD(i * 13 % 60), WORD(i * 25)};
}

} // namespace

TEST_F(GameTest, LowerCaseKindsAreAcceptedAndZeroAbandonsWithoutAResult)
{
    EXPECT_EQ(RunMain("c\r\nm\r\n0\r\nn\r\n"), 0u);
    const std::string out = Fake.Output();
    EXPECT_EQ(PlayerKind[Black], 'C');
    EXPECT_EQ(PlayerKind[White], 'M');
    EXPECT_EQ(out.rfind(Kinds + cp932::WhiteMark + cp932::KindPrompt + CrLf, 0), 0u);
    EXPECT_EQ(Occurrences(out, cp932::Places), 1u);
    EXPECT_TRUE(EndsWith(out, cp932::MovePrompt + CrLf + cp932::PlayAgain));
    for (const std::string& result : {cp932::Draw, cp932::BlackWins, cp932::WhiteWins})
        EXPECT_EQ(out.find(result), std::string::npos);
}

TEST_F(GameTest, OtherFirstBytesAskTheSameColourAgain)
{
    // An empty line is read as CR, and the line skip then eats the next
    // line as well: the C is never seen.
    for (const std::string& rejected : {std::string("x\r\n"), std::string("5\r\n"), std::string(" M\r\n"),
                                        Hex("82 6C") + CrLf, std::string("\r\nC\r\n")}) {
        ResetAll();
        EXPECT_EQ(RunMain(rejected + "Mabc\r\nM\r\n0\r\nn\r\n"), 0u);
        const std::string out = Fake.Output();
        EXPECT_EQ(out.rfind(Kinds + cp932::BlackMark + cp932::KindPrompt + cp932::WhiteMark + cp932::KindPrompt + CrLf,
                            0),
                  0u)
            << rejected;
        EXPECT_EQ(PlayerKind[Black], 'M');
        EXPECT_EQ(Occurrences(out, cp932::Question), 1u);
        EXPECT_EQ(Occurrences(out, cp932::Places), 0u);
    }
}

TEST_F(GameTest, OnlyExactlyNEndsTheRun)
{
    for (const char* answer : {"N", " n", "n ", "no", ""}) {
        ResetAll();
        EXPECT_EQ(RunMain("M\r\nM\r\n0\r\n" + std::string(answer) + "\r\nM\r\nM\r\n0\r\nn\r\n"), 0u);
        const std::string out = Fake.Output();
        EXPECT_EQ(Occurrences(out, cp932::Question), 2u) << '"' << answer << '"';
        EXPECT_EQ(Occurrences(out, cp932::PlayAgain), 2u);
        EXPECT_TRUE(EndsWith(out, cp932::PlayAgain));
    }
}

TEST_F(GameTest, TheEndOfTheInputAtTheKindPromptEndsTheRun)
{
    const std::string white = cp932::WhiteMark + cp932::KindPrompt;
    struct Case {
        std::string input, output;
    } cases[] = {
        {"", Kinds},
        {"M\r\n", Kinds + white},
        {"m", Kinds + white},
    };
    for (const Case& c : cases) {
        ResetAll();
        EXPECT_EQ(RunMain(c.input), 0u);
        EXPECT_EQ(Fake.Output(), c.output) << c.input;
    }
    // A move prompt at the end reads 0, the answer is empty, and the next
    // game's question is the last thing written.
    ResetAll();
    EXPECT_EQ(RunMain("M\r\nM\r\n"), 0u);
    EXPECT_TRUE(EndsWith(Fake.Output(), cp932::MovePrompt + CrLf + cp932::PlayAgain + Kinds));
}

TEST_F(GameTest, TextAtTheMovePromptEndsTheRunWithStatusOne)
{
    EXPECT_EQ(RunMain("M\r\nM\r\nabc\r\n35\r\n"), 1u);
    const std::string out = Fake.Output();
    EXPECT_EQ(Occurrences(out, cp932::MovePrompt), 1u);
    EXPECT_EQ(out.compare(out.find(cp932::MovePrompt) + cp932::MovePrompt.size(), 11, "EInOutError"), 0);
    EXPECT_EQ(Board[35], Empty);
}

// People's games chosen to reach each way a game ends; 0 marks a pass.
TEST_F(GameTest, ScriptedGamesPassEndAndAnnounceTheResult)
{
    struct Case {
        const char* name;
        std::vector<int> events;
        int black, white;
        std::string result;
    } cases[] = {
        {"white wiped out", {64, 65, 46, 43, 42, 56, 66, 74, 84}, 13, 0, cp932::BlackWins},
        {"two passes",
         {64, 65, 66, 43, 32, 42, 34, 23, 41, 52, 36, 46, 47, 22, 12, 14, 61, 62, 72, 56, 67, 0, 0},
         24, 1, cp932::BlackWins},
        {"single passes, full board",
         {64, 43, 33, 63, 53, 42, 34, 25, 72, 24, 23, 52, 26, 14, 51, 73, 62, 13, 15, 61, 71,
          35, 36, 47, 12, 16, 84, 81, 82, 32, 37, 17, 18, 74, 57, 56, 27, 58, 21, 83, 75, 38,
          41, 85, 48, 22, 68, 76, 46, 78, 11, 65, 87, 67, 77, 31, 66, 88, 0, 28, 0, 86},
         29, 35, cp932::WhiteWins},
        {"draw",
         {46, 56, 64, 34, 57, 65, 24, 73, 66, 63, 62, 75, 84, 47, 35, 58, 53, 43, 36, 25,
          15, 67, 42, 76, 38, 72, 77, 48, 68, 14, 33, 86, 71, 83, 13, 88, 74, 23, 82, 31,
          78, 28, 32, 85, 51, 26, 16, 12, 37, 22, 21, 52, 11, 17, 27, 18, 87, 61, 41, 81},
         32, 32, cp932::Draw},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetAll();
        std::string input = "M\r\nM\r\n";
        for (int e : c.events)
            if (e != 0)
                input += std::to_string(e) + CrLf;
        ASSERT_EQ(RunMain(input + "n\r\n"), 0u);
        const std::string out = Fake.Output();
        const std::vector<Drawing> d = Drawings(out);
        ASSERT_EQ(d.size(), c.events.size() + 1);
        for (std::size_t i = 0; i < c.events.size(); ++i) {
            EXPECT_EQ(d[i].turn, i % 2 == 0 ? BlackTurn : WhiteTurn) << "drawing " << i;
            EXPECT_EQ(d[i].next, c.events[i] == 0 ? cp932::Pass : cp932::MovePrompt) << "drawing " << i;
            if (c.events[i] == 0) {
                EXPECT_EQ(d[i + 1].field, d[i].field) << "a pass leaves the field as it was";
            }
        }
        EXPECT_EQ(d.back().countLine, CountLine(c.black, c.white));
        EXPECT_EQ(d.back().turn, c.events.size() % 2 == 0 ? BlackTurn : WhiteTurn);
        EXPECT_TRUE(EndsWith(out, c.result + CrLf + CrLf + cp932::PlayAgain));
        EXPECT_EQ(DiscCount[Black], c.black);
        EXPECT_EQ(DiscCount[White], c.white);
        EXPECT_TRUE(Fake.reads.empty());
    }
}

// Computer against computer from many clocks: the rules hold after every
// move, and the program's own run of the same seed ends the same way.
TEST_F(GameTest, ComputerGamesKeepTheInvariantsAndEndAsTheProgramEndsThem)
{
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        ResetAll();
        Fake.clock = Clock(i);
        SeedFromClock();
        InitBoard();
        PlayerKind[Black] = PlayerKind[White] = 'C';
        int passes = 0, moves = 0;
        do {
            if (HasNoLegalMove()) {
                ++passes;
            } else {
                const Colour mover = SideToMove;
                const int sum = DiscCount[Black] + DiscCount[White];
                TakeTurn();
                ++moves;
                passes = 0;
                ASSERT_FALSE(QuitRequested);
                ASSERT_EQ(SideToMove, mover);
                ASSERT_EQ(DiscCount[Black], CountCells(Black));
                ASSERT_EQ(DiscCount[White], CountCells(White));
                ASSERT_EQ(DiscCount[Black] + DiscCount[White], sum + 1);
                ASSERT_TRUE(BorderIntact());
            }
            SwapColour(SideToMove);
            SwapColour(Opponent);
        } while (passes < 2 && DiscCount[Black] != 0 && DiscCount[White] != 0 &&
                 DiscCount[Black] + DiscCount[White] != 64);
        EXPECT_EQ(Fake.readCalls, 0);
        std::uint8_t final[BoardSize];
        std::copy(std::begin(Board), std::end(Board), final);

        ResetAll();
        Fake.clock = Clock(i);
        ASSERT_EQ(RunMain("C\r\nC\r\nn\r\n"), 0u);
        const std::string out = Fake.Output();
        EXPECT_TRUE(std::equal(std::begin(Board), std::end(Board), final));
        EXPECT_EQ(Occurrences(out, cp932::Places), std::size_t(moves));
        const std::string& result = DiscCount[Black] == DiscCount[White] ? cp932::Draw
                                    : DiscCount[Black] > DiscCount[White] ? cp932::BlackWins
                                                                          : cp932::WhiteWins;
        EXPECT_TRUE(EndsWith(out, CountLine(DiscCount[Black], DiscCount[White]) + CrLf +
                                      (SideToMove == Black ? BlackTurn : WhiteTurn) + CrLf + result + CrLf +
                                      CrLf + cp932::PlayAgain));
    }
}
