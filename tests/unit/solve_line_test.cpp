#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/solve.h"

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
        {AlmostFull + " X ", "67 characters, not 66: 64 cells of X, O or -, a space, and X or O to move"},
        {"\r", "0 characters, not 66: 64 cells of X, O or -, a space, and X or O to move"},
        {"-o" + AlmostFull.substr(2) + " X", "column 2: 'o' is not X, O or -"},
        {"-\xff" + AlmostFull.substr(2) + " X", "column 2: byte 255 is not X, O or -"},
        {AlmostFull + "\tX", "column 65: byte 9 is not a space"},
        {AlmostFull + " x", "column 66: 'x' is not X or O to move"},
        // Named where they stand, not counted into a wrong length.
        {"\xEF\xBB\xBF" + AlmostFull + " X", "column 1: bytes 239 187 191 are a UTF-8 byte-order mark, not X, O or -"},
        {std::string("-O\0", 3) + AlmostFull.substr(2) + " X", "column 3: byte 0 (NUL) is not X, O or -"},
        {std::string("X\0-\0", 4), "column 2: byte 0 (NUL) is not X, O or -"},  // UTF-16
        {AlmostFull + std::string("\0X", 2), "column 65: byte 0 (NUL) is not a space"},
        {AlmostFull + " X" + std::string(5, '\0'), "column 67: byte 0 (NUL) past the 66 characters of a position"},
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
        EXPECT_NE(answer[0], '\0') << line;
        EXPECT_EQ(std::string(answer).find('\n'), std::string::npos) << line;
    }
}

// Every line gets one answer line, so that a program reading through a
// pipe stays in step; a refused one is "error" there, and its reason goes
// to standard error under the line's number.
TEST(SolveLines, RefusedLinesAreAnsweredErrorAndNumberedOnStandardError)
{
    engine::Engine search;
    struct Row {
        std::string in, out, err;
        int status;
    };
    const Row rows[] = {
        {AlmostFull + " X\n", "11 64\n", "", 0},
        {"\n" + AlmostFull + " O\r\nXX\n" + AlmostFull + " X", "error\npass -64\nerror\n11 64\n",
         "shirokuro: line 1: 0 characters, not 66: 64 cells of X, O or -, a space, and X or O to move\n"
         "shirokuro: line 3: 2 characters, not 66: 64 cells of X, O or -, a space, and X or O to move\n",
         1},
        {std::string(1000, 'X') + "\n" + AlmostFull + " Y\n",
         "error\nerror\n",
         "shirokuro: line 1: 1000 characters, not 66: 64 cells of X, O or -, a space, and X or O to move\n"
         "shirokuro: line 2: column 66: 'Y' is not X or O to move\n",
         1},
    };
    for (const Row& row : rows) {
        std::string in = row.in;
        std::FILE* input = fmemopen(in.data(), in.size(), "rb");
        char *out = nullptr, *err = nullptr;
        std::size_t outSize = 0, errSize = 0;
        std::FILE* output = open_memstream(&out, &outSize);
        std::FILE* error = open_memstream(&err, &errSize);
        ASSERT_TRUE(input && output && error);
        EXPECT_EQ(RunSolve(search, input, output, error), row.status) << row.in;
        std::fclose(input);
        std::fclose(output);
        std::fclose(error);
        EXPECT_EQ(std::string(out, outSize), row.out) << row.in;
        EXPECT_EQ(std::string(err, errSize), row.err) << row.in;
        std::free(out);
        std::free(err);
    }
}

} // namespace
