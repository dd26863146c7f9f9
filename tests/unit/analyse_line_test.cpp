#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/analyse.h"
#include "engine/engine.h"

namespace {

using engine::MaxLevel;

TEST(AnalyseLine, Answers)
{
    engine::Engine search;
    const std::string almostFull = "-O" + std::string(62, 'X');  // cell 11 empty, 12 white
    // Cells 11 and 18 empty; X takes one corner and O the other or X both.
    struct Row {
        std::string line;
        int level;
        std::string answer;  // a prefix when it ends in a space
    };
    const Row rows[] = {
        {almostFull + " X", 2, "11 64\n"},
        {almostFull + " X\r", MaxLevel, "11 64\n"},
        {almostFull + " O", MaxLevel, "pass -64\n"},
        {std::string(64, 'O') + " X", 2, "end -64\n"},
        {std::string(64, '-') + " X", MaxLevel, "end 0\n"},
        // The four first moves are one move turned about the board.
        {std::string(27, '-') + "OX------XO" + std::string(27, '-') + " X", 1, "34,43,56,65 "},
        {std::string(27, '-') + "OX------XO" + std::string(27, '-') + " O", 3, "35,46,53,64 "},
        {std::string(27, '-') + "OX------XO" + std::string(27, '-') + " O", 0, "35,46,53,64 0\n"},
        {std::string(27, '-') + "OX------XO" + std::string(27, '-') + " X", MaxLevel, "34,43,56,65 "},
        // The only move takes every white disc: the game's end, not an estimate.
        {std::string(27, '-') + "XOO" + std::string(34, '-') + " X", 1, "47 4\n"},
    };
    for (const Row& row : rows) {
        char answer[200];
        EXPECT_TRUE(AnswerAnalyseLine(search, row.line, row.level, answer)) << row.line;
        if (row.answer.back() == ' ')
            EXPECT_EQ(std::string(answer).substr(0, row.answer.size()), row.answer) << row.line;
        else
            EXPECT_EQ(answer, row.answer) << row.line;
    }
    char answer[200];
    EXPECT_FALSE(AnswerAnalyseLine(search, std::string(63, '-') + " X", MaxLevel, answer));
    EXPECT_STREQ(answer, "65 characters, not 66: 64 cells of X, O or -, a space, and X or O to move");
}

} // namespace

// Far outside the evaluation's range little is cut: the top level still
// answers with a bounded amount of work and a margin the board can hold.
TEST(AnalyseLine, LopsidedMiddleGameIsBoundedInWorkAndEstimate)
{
    engine::Engine search;
    const char* lines[] = {
        "------OX---O-OOX----OXOX--OOOOO----OOOOO------------------------ X",
        "---OOXXX---OOXXX----OOOX--OOOOO----OOOOO------------------------ X",
        // One ply here once cost 95 million positions after a cheap one.
        "-------X--O-O-XX---OXOXX--OOOXXX---OOOXO------OX-----O---------- X",
    };
    for (const char* line : lines) {
        std::uint64_t before = search.Nodes();
        char answer[200];
        ASSERT_TRUE(AnswerAnalyseLine(search, line, engine::MaxLevel, answer)) << line;
        EXPECT_LT(search.Nodes() - before, 5'000'000u) << line;
        int estimate = std::atoi(std::strchr(answer, ' ') + 1);
        EXPECT_LE(std::abs(estimate), 64) << answer;
    }
}
