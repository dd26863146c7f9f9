#include <array>
#include <random>
#include <vector>

#include "console/output.h"
#include "game/draw.h"
#include "game_fixture.h"

namespace {

const std::string CrLf = "\r\n";
const std::string Gap = Hex("81 40");

std::string RightAligned(const std::string& text, std::size_t width)
{
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

std::string Glyph(char c)
{
    return c == '#' ? Hex("81 A1") : c == '.' ? Hex("81 45") : c == 'X' ? Hex("81 9C") : Hex("81 9B");
}

// The drawing as separate statements, built from the layout rules: ten
// rows of ten cells ('#' border, '.' empty, 'X' black, 'O' white).
std::vector<std::string> ExpectedPieces(const std::vector<std::string>& rows, int black, int white, Colour toMove)
{
    std::vector<std::string> pieces{CrLf, std::string(22, ' ')};
    for (int column = 0; column <= 9; ++column)
        pieces.push_back(RightAligned(std::to_string(column), 2));
    pieces.push_back(CrLf);
    for (int row = 0; row <= 9; ++row) {
        pieces.push_back(RightAligned(std::to_string(10 * row), 20) + Gap);
        for (char c : rows[row])
            pieces.push_back(Glyph(c));
        pieces.push_back(CrLf);
    }
    pieces.push_back(std::string(22, ' '));
    pieces.push_back(Hex("81 40 81 9C") + RightAligned(std::to_string(black), 2) + Hex("8C C2 81 40"));
    pieces.push_back(Hex("81 40 81 9B") + RightAligned(std::to_string(white), 2) + Hex("8C C2 81 40"));
    pieces.push_back(CrLf);
    pieces.push_back(Hex(toMove == Black ? "81 9C" : "81 9B") + Hex("82 CC 94 D4 82 C5 82 B7") + CrLf);
    return pieces;
}

const std::vector<std::string> StartRows = {
    "##########", "#........#", "#........#", "#........#", "#...XO...#",
    "#...OX...#", "#........#", "#........#", "#........#", "##########",
};

std::string Joined(const std::vector<std::string>& pieces)
{
    std::string all;
    for (const std::string& p : pieces)
        all += p;
    return all;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(CrLf, from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    EXPECT_EQ(from, text.size()) << "text after the last line break";
    return lines;
}

} // namespace

TEST_F(GameTest, StartingPositionIsDrawnByteExact)
{
    InitBoard();
    DrawBoard();
    // Redirected output leaves only in full 128-byte pieces until the end.
    for (const std::string& w : Fake.writes)
        EXPECT_EQ(w.size(), 128u);
    CloseStream(ConsoleOutput);
    const std::string out = Fake.Output();
    EXPECT_EQ(out, Joined(ExpectedPieces(StartRows, 2, 2, Black)));

    const std::vector<std::string> lines = Lines(out);
    // An empty line, the heading, ten rows, the count line, the turn line.
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "");
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(lines[i].size(), 42u) << "line " << i;
    EXPECT_EQ(lines[13].size(), 10u);
}

TEST_F(GameTest, OnAConsoleEveryStatementOfTheDrawingIsWrittenOnItsOwn)
{
    Fake.stdoutType = FILE_TYPE_CHAR;
    InitBoard();
    DrawBoard();
    const std::vector<std::string> pieces = ExpectedPieces(StartRows, 2, 2, Black);
    EXPECT_EQ(pieces.size(), 138u);
    EXPECT_EQ(Fake.writes, pieces);
}

TEST_F(GameTest, CountsFillTheirFieldAndTheTurnLineFollowsTheSide)
{
    struct Case {
        int black, white;
        Colour toMove;
    } cases[] = {{12, 9, White}, {64, 0, Black}, {10, 10, White}, {0, 2, Black}};
    for (const Case& c : cases) {
        ResetAll();
        InitBoard();
        DiscCount[Black] = c.black;
        DiscCount[White] = c.white;
        SideToMove = c.toMove;
        DrawBoard();
        CloseStream(ConsoleOutput);
        EXPECT_EQ(Fake.Output(), Joined(ExpectedPieces(StartRows, c.black, c.white, c.toMove)))
            << c.black << "-" << c.white;
    }
}

// A console gets every piece as a statement of its own, a file or a pipe
// gets whole rows at once: the bytes must be the same either way, on any
// board, including when the buffer fills in the middle of a row.
TEST_F(GameTest, ConsoleAndRedirectedDrawingsAreTheSameBytes)
{
    std::mt19937 random(7);
    for (int drawing = 0; drawing < 200; ++drawing) {
        std::array<std::uint8_t, BoardSize> cells;
        InitBoard();
        for (int k = 0; k < BoardSize; ++k)
            cells[k] = Board[k] == Border ? std::uint8_t{Border} : static_cast<std::uint8_t>(Empty + random() % 3);
        int lead = static_cast<int>(random() % 128);  // where in the buffer the drawing starts
        std::string outputs[2];
        for (DWORD type : {FILE_TYPE_CHAR, FILE_TYPE_PIPE}) {
            ResetAll();
            Fake.stdoutType = type;
            std::copy(cells.begin(), cells.end(), Board);
            DiscCount[Black] = CountCells(Black);
            DiscCount[White] = CountCells(White);
            SideToMove = drawing % 2 ? White : Black;
            WriteText(ConsoleOutput, std::string(static_cast<std::size_t>(lead), '.'), 0);
            DrawBoard();
            CloseStream(ConsoleOutput);
            outputs[type == FILE_TYPE_PIPE] = Fake.Output();
        }
        ASSERT_EQ(outputs[0], outputs[1]) << "drawing " << drawing;
    }
}
