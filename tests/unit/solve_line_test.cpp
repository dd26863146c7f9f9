#include <gtest/gtest.h>

#include <string>

#include "tools.h"

namespace {

// Cell 11 empty, 12 white, every other cell black.
const std::string AlmostFull = "-O" + std::string(62, 'X');

TEST(SolveLine, Answers)
{
    engine::Engine search;
    struct Row {
        std::string line;
        std::string answer;
    };
    const Row rows[] = {
        {AlmostFull + " X", "11 64\n"},
        {AlmostFull + " X\r", "11 64\n"},
        {AlmostFull + " O", "pass -64\n"},
        {std::string(64, 'O') + " X", "end -64\n"},
        {"--" + std::string(62, 'X') + " O", "end -62\n"},
        {std::string(64, '-') + " X", "end 0\n"},  // no size is refused
        // 33 moves, more than any game reaches; white can never move.
        {"----OXXXOO--OOOXXO------XO------XX--OXO-XOO-XXXXOO--O-OX-------- X", "11 64\n"},
    };
    for (const Row& row : rows) {
        char answer[96];
        EXPECT_TRUE(AnswerSolveLine(search, row.line, answer)) << row.line;
        EXPECT_EQ(answer, row.answer) << row.line;
    }
}

TEST(SolveLine, RefusalsSayWhatIsWrong)
{
    engine::Engine search;
    const std::string rows[][2] = {
        {AlmostFull + " X ", "error: 67 characters, not 66: 64 cells of X, O or -, a space, and X or O to move\n"},
        {"\r", "error: 0 characters, not 66: 64 cells of X, O or -, a space, and X or O to move\n"},
        {"-o" + AlmostFull.substr(2) + " X", "error: column 2: 'o' is not X, O or -\n"},
        {"-\xff" + AlmostFull.substr(2) + " X", "error: column 2: byte 255 is not X, O or -\n"},
        {AlmostFull + "\tX", "error: column 65: byte 9 is not a space\n"},
        {AlmostFull + " x", "error: column 66: 'x' is not X or O to move\n"},
    };
    for (const auto& row : rows) {
        char answer[96];
        EXPECT_FALSE(AnswerSolveLine(search, row[0], answer));
        EXPECT_EQ(answer, row[1]);
    }
}

TEST(SolveLine, LinesItCannotRead)
{
    engine::Engine search;
    const std::string cells = AlmostFull;
    const std::string rows[] = {
        "",
        "\r",
        cells,                      // no side
        cells + " ",
        cells + "X X",              // 65 cells
        cells.substr(1) + " X",     // 63 cells
        cells + " x",
        cells + " -",
        cells + "\tX",
        cells + " X\r\r",
        cells + " X ",
        // append, not a literal + a temporary: GCC 12 warns falsely (-Wrestrict)
        std::string("-o").append(cells, 2) + " X",
        std::string("\r").append(cells, 1) + " X",
        std::string(1000, '\xff'),
    };
    for (const std::string& line : rows) {
        char answer[96];
        EXPECT_FALSE(AnswerSolveLine(search, line, answer)) << line;
        EXPECT_EQ(std::string(answer).rfind("error: ", 0), 0u) << line;
        EXPECT_EQ(std::string(answer).find('\n'), std::string(answer).size() - 1) << line;
    }
}

} // namespace
