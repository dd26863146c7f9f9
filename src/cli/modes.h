// The command line's modes, a row each: the option that chooses it, the
// settings that go with it, its lines in --help and the function that
// runs it. The parser, the help text and main read this table and nothing
// else about the modes, so a new mode is a file of its own and a row here.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "cli/analyse.h"
#include "cli/bench.h"
#include "cli/command_line.h"
#include "cli/help.h"
#include "cli/perft.h"
#include "cli/play.h"
#include "cli/solve.h"
#include "engine/engine.h"

// An option that tunes a mode rather than choosing one, by its row below.
enum class Setting { Level, Seed, Threads, Hash };

constexpr unsigned Takes(std::initializer_list<Setting> settings)
{
    unsigned bits = 0;
    for (Setting s : settings)
        bits |= 1u << static_cast<int>(s);
    return bits;
}

// Help lines are the text after an option's name in --help's list, one
// per line feed; the help indents them.
struct SettingRow {
    Setting setting;
    std::string_view option, value;  // "--level" and the name --help gives its value
    std::int32_t min, max;
    std::int32_t Settings::*field;   // where its value goes
    Mode listedAfter;                // its place in --help's list
    std::string_view help;
};

inline constexpr SettingRow SettingRows[] = {
    {Setting::Level, "--level", "N", 0, engine::MaxLevel, &Settings::level, Mode::Play,
     "strength of every computer player, 0 to 7: 0 (the default)\n"
     "picks a random legal move, 7 plays the strongest"},
    {Setting::Seed, "--seed", "MS", 0, MaxSeed, &Settings::seed, Mode::Play,
     "start the random source as if the clock read MS milliseconds\n"
     "after midnight UTC (0 to 86399999), to replay a game"},
    {Setting::Threads, "--threads", "N", 1, MaxThreads, &Settings::threads, Mode::Analyse,
     "threads for exact solving, 1 to 256 (default: every core);\n"
     "answers and games do not depend on it"},
    {Setting::Hash, "--hash", "MB", 1, MaxHashMegabytes, &Settings::hashMegabytes, Mode::Analyse,
     "the search's table in MiB, 1 to 65536 (default 128); less\n"
     "than 128 may change a game's moves and --analyse's estimates"},
};

struct ModeRow {
    Mode mode = Mode::Play;
    std::string_view option = {}, value = {};  // "--perft" and "D"; a game has neither
    std::int32_t min = 0, max = 0;
    std::int32_t Settings::*field = nullptr;  // where its value goes; null when it takes none
    unsigned settings = 0;           // those that go with it
    std::int32_t level = 0;          // the level when --level is not given
    bool console = false;            // the game's console, not C stdio in binary mode
    std::string_view help = {};      // a game: its paragraph under the usage
    int (*run)(const Settings& settings, const engine::Options& search) = nullptr;
};

inline constexpr ModeRow Modes[] = {
    {.mode = Mode::Play,
     .settings = Takes({Setting::Level, Setting::Seed, Setting::Threads, Setting::Hash}),
     .console = true,
     .help = "Without options: the board game at the console, as always. Its prompts are\n"
             "Japanese: a terminal shows them in its own character set; a file or a pipe\n"
             "gets CP932 bytes and must send lines ending in CR LF (see shirokuro(6)).",
     .run = PlayMode},
    {.mode = Mode::Perft, .option = "--perft", .value = "D", .max = MaxPerftDepth, .field = &Settings::perftDepth,
     .help = "print the number of leaves D plies (0 to 14) from the start",
     .run = PerftMode},
    {.mode = Mode::Solve, .option = "--solve",
     .settings = Takes({Setting::Threads, Setting::Hash}),
     .help = "read positions from standard input, one a line: the 64 cells\n"
             "11..18, 21..28, ..., 81..88 as X, O or -, a space, and X or O\n"
             "to move (a CR before the line feed is ignored); print a best\n"
             "move (the lowest cell among equals, or pass or end) and the\n"
             "exact final disc difference for the side to move. Any number\n"
             "of empty cells; the time grows two- to fourfold with each one",
     .run = SolveMode},
    {.mode = Mode::Analyse, .option = "--analyse",
     .settings = Takes({Setting::Level, Setting::Threads, Setting::Hash}),
     .level = engine::MaxLevel,
     .help = "read positions as --solve does; print the moves the level\n"
             "(--level, default 7) rates equally best, in ascending cells\n"
             "joined by commas (or pass or end), and its estimate of the\n"
             "final disc difference for the side to move (exact where the\n"
             "level plays exactly)",
     .run = AnalyseMode},
    {.mode = Mode::Bench, .option = "--bench",
     .help = "search a fixed set of positions on one thread and print the\n"
             "positions visited (which pins what the search does) and the\n"
             "speed",
     .run = BenchMode},
    {.mode = Mode::Help, .option = "--help", .help = "print this help", .run = HelpMode},
    {.mode = Mode::Version, .option = "--version", .help = "print the version", .run = VersionMode},
};

constexpr bool TablesAgree()
{
    for (std::size_t i = 0; i < std::size(SettingRows); ++i)
        if (SettingRows[i].setting != static_cast<Setting>(i) || SettingRows[i].value.empty())
            return false;
    for (std::size_t i = 0; i < std::size(Modes); ++i) {
        const ModeRow& row = Modes[i];
        // A row a mode, in Mode's order; only a game goes without an option.
        // (Whether run is set cannot be asked here: under the sanitizers a
        // function's address is no constant.)
        if (row.mode != static_cast<Mode>(i) || row.option.empty() != (row.mode == Mode::Play))
            return false;
        if (row.value.empty() != (row.field == nullptr))
            return false;
    }
    return true;
}
static_assert(TablesAgree());

constexpr const ModeRow& ModeOf(Mode mode) { return Modes[static_cast<std::size_t>(mode)]; }
constexpr const SettingRow& SettingOf(Setting setting) { return SettingRows[static_cast<std::size_t>(setting)]; }
