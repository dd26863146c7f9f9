// The command line, read into plain settings. Pure: no I/O, no heap, so
// that it can take any bytes (and be fuzzed).
//
// Options are long only, as "--name value" or "--name=value"; each may be
// given once. The table of modes (cli/modes.h) says which option chooses
// which mode and which settings go with it.
#pragma once

#include <cstdint>

// One row each in the table of modes, in its order.
enum class Mode { Play, Perft, Solve, Analyse, Bench, Help, Version };

inline constexpr int MaxPerftDepth = 14;
inline constexpr std::int32_t MaxSeed = 86'399'999;  // the last millisecond of a day
inline constexpr std::int32_t SeedFromTheClock = -1;
inline constexpr int MaxThreads = 256;
inline constexpr int MaxHashMegabytes = 65536;

// Every value is an std::int32_t, so that the table can say where each
// option's value goes.
struct Settings {
    Mode mode = Mode::Play;
    std::int32_t level = 0;                // unless given, the mode's own: 0, the random player, in a game
    std::int32_t seed = SeedFromTheClock;  // else milliseconds after midnight UTC
    std::int32_t perftDepth = 0;
    std::int32_t threads = 0;        // 0: every core
    std::int32_t hashMegabytes = 0;  // 0: the engine's default
};

// One line for standard error, ending in a line feed; empty when the
// command line was good.
struct UsageError {
    char text[192];
};

// Settings from argv[1..argc-1]. On a bad line, error.text names the
// argument at fault (made printable and cut short) and points to --help.
Settings ParseCommandLine(int argc, const char* const* argv, UsageError& error);
