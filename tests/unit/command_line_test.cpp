#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/modes.h"
#include "engine/engine.h"

namespace {

Settings Parse(std::vector<std::string> arguments, UsageError& error)
{
    std::vector<const char*> argv{"shirokuro"};
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), error);
}

TEST(CommandLine, GoodLines)
{
    struct Row {
        std::vector<std::string> arguments;
        Mode mode;
        int level;
        std::int32_t seed;
        int depth;
    };
    const Row rows[] = {
        {{}, Mode::Play, 0, SeedFromTheClock, 0},
        {{"--level", "3"}, Mode::Play, 3, SeedFromTheClock, 0},
        {{"--seed=0", "--level=05"}, Mode::Play, 5, 0, 0},
        {{"--level", "0", "--seed", "86399999"}, Mode::Play, 0, 86399999, 0},
        {{"--perft", "14"}, Mode::Perft, 0, SeedFromTheClock, 14},
        {{"--perft=0"}, Mode::Perft, 0, SeedFromTheClock, 0},
        {{"--solve"}, Mode::Solve, 0, SeedFromTheClock, 0},
        {{"--analyse"}, Mode::Analyse, engine::MaxLevel, SeedFromTheClock, 0},
        {{"--level=2", "--analyse"}, Mode::Analyse, 2, SeedFromTheClock, 0},
        {{"--bench"}, Mode::Bench, 0, SeedFromTheClock, 0},
        {{"--help"}, Mode::Help, 0, SeedFromTheClock, 0},
        {{"--version"}, Mode::Version, 0, SeedFromTheClock, 0},
    };
    for (const Row& row : rows) {
        UsageError error;
        Settings s = Parse(row.arguments, error);
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        EXPECT_STREQ(error.text, "");
        EXPECT_EQ(s.mode, row.mode);
        EXPECT_EQ(s.level, row.level);
        EXPECT_EQ(s.seed, row.seed);
        EXPECT_EQ(s.perftDepth, row.depth);
    }
}

TEST(CommandLine, ThreadsAndHashGoWithAGameOrSolve)
{
    struct Row {
        std::vector<std::string> arguments;
        Mode mode;
        int threads, hash;
    };
    const Row rows[] = {
        {{}, Mode::Play, 0, 0},
        {{"--solve", "--threads", "1"}, Mode::Solve, 1, 0},
        {{"--threads=256", "--solve", "--hash", "64"}, Mode::Solve, 256, 64},
        {{"--level", "5", "--threads", "2", "--seed", "7"}, Mode::Play, 2, 0},
        {{"--analyse", "--threads", "3"}, Mode::Analyse, 3, 0},
    };
    for (const Row& row : rows) {
        UsageError error;
        Settings s = Parse(row.arguments, error);
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        EXPECT_STREQ(error.text, "");
        EXPECT_EQ(s.mode, row.mode);
        EXPECT_EQ(s.threads, row.threads);
        EXPECT_EQ(s.hashMegabytes, row.hash);
    }
}

// A new row is followed without more: its option chooses its mode, with
// each setting it takes (the value landing in its field) and no other.
TEST(CommandLine, FollowsTheTableOfModes)
{
    for (const ModeRow& mode : Modes) {
        std::vector<std::string> chosen;
        if (!mode.option.empty()) {
            std::string option(mode.option);
            if (mode.field)
                option += '=' + std::to_string(mode.max);
            chosen.push_back(option);
        }
        UsageError error;
        Settings s = Parse(chosen, error);
        EXPECT_STREQ(error.text, "") << mode.option;
        EXPECT_EQ(s.mode, mode.mode) << mode.option;
        EXPECT_EQ(s.level, mode.level) << mode.option;
        for (const SettingRow& setting : SettingRows) {
            std::vector<std::string> arguments = chosen;
            arguments.push_back(std::string(setting.option) + "=" + std::to_string(setting.max));
            s = Parse(arguments, error);
            SCOPED_TRACE(testing::PrintToString(arguments));
            if (!(mode.settings & Takes({setting.setting}))) {
                EXPECT_NE(std::string(error.text).find("cannot be combined"), std::string::npos);
                continue;
            }
            EXPECT_STREQ(error.text, "");
            EXPECT_EQ(s.mode, mode.mode);
            EXPECT_EQ(s.*setting.field, setting.max);
            if (mode.field) {
                EXPECT_EQ(s.*mode.field, mode.max);
            }
        }
    }
}

TEST(CommandLine, BadLinesGiveOneLineNamingTheFault)
{
    const std::string help = " (see 'shirokuro --help')\n";
    struct Row {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Row rows[] = {
        {{"--levels", "1"}, "unknown option '--levels'"},
        {{"--colour=white"}, "unknown option '--colour'"},
        {{"-h"}, "unknown option '-h'"},
        {{"--"}, "unknown option '--'"},
        {{"play"}, "unexpected argument 'play'"},
        {{""}, "unexpected argument ''"},
        {{"--level"}, "option '--level' needs a value"},
        {{"--level", "8"}, "option '--level' takes a number from 0 to 7, not '8'"},
        {{"--level", "-1"}, "option '--level' takes a number from 0 to 7, not '-1'"},
        {{"--level="}, "option '--level' takes a number from 0 to 7, not ''"},
        {{"--level", " 1"}, "option '--level' takes a number from 0 to 7, not ' 1'"},
        {{"--seed", "86400000"}, "option '--seed' takes a number from 0 to 86399999, not '86400000'"},
        {{"--seed", "99999999999999999999999"},
         "option '--seed' takes a number from 0 to 86399999, not '99999999999999999999999'"},
        {{"--perft", "15"}, "option '--perft' takes a number from 0 to 14, not '15'"},
        {{"--level", "\x01\xff\n"}, "option '--level' takes a number from 0 to 7, not '\?\?\?'"},
        {{"--help=yes"}, "option '--help' takes no value"},
        {{"--level", "1", "--level", "2"}, "option '--level' given twice"},
        {{"--perft", "3", "--level", "2"}, "options '--perft' and '--level' cannot be combined"},
        {{"--seed", "3", "--solve"}, "options '--seed' and '--solve' cannot be combined"},
        {{"--help", "--version"}, "options '--help' and '--version' cannot be combined"},
        {{"--threads", "0"}, "option '--threads' takes a number from 1 to 256, not '0'"},
        {{"--perft", "3", "--threads", "2"}, "options '--perft' and '--threads' cannot be combined"},
        {{"--hash", "8", "--help"}, "options '--hash' and '--help' cannot be combined"},
        {{"--level", "1", "--analyse", "--seed", "2"}, "options '--analyse' and '--seed' cannot be combined"},
        {{"--analyse", "--solve"}, "options '--analyse' and '--solve' cannot be combined"},
        {{"x" + std::string(100, 'y')}, "unexpected argument 'x" + std::string(39, 'y') + "...'"},
    };
    for (const Row& row : rows) {
        UsageError error;
        Settings s = Parse(row.arguments, error);
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        EXPECT_EQ(error.text, "shirokuro: " + row.message + help);
        EXPECT_EQ(s.mode, Mode::Play);
    }
}

} // namespace
