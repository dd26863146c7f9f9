// The command line, read into plain settings. Pure: no I/O, no heap, so
// that it can take any bytes (and be fuzzed).
//
// Options are long only, as "--name value" or "--name=value"; each may be
// given once. --perft, --bench, --help and --version each stand alone;
// --level and --seed belong to a game, --level also to --analyse.
#pragma once

#include <cstdint>

enum class Mode { Game, Perft, Solve, Analyse, Bench, Help, Version };

inline constexpr int MaxPerftDepth = 14;
inline constexpr std::int32_t MaxSeed = 86'399'999;  // the last millisecond of a day
inline constexpr std::int32_t SeedFromTheClock = -1;
inline constexpr int MaxThreads = 256;
inline constexpr int MaxHashMegabytes = 65536;

struct Settings {
    Mode mode = Mode::Game;
    int level = 0;                       // 0: the random player; --analyse: MaxLevel unless given
    std::int32_t seed = SeedFromTheClock;  // else milliseconds after midnight UTC
    int perftDepth = 0;
    int threads = 0;         // 0: every core
    int hashMegabytes = 0;   // 0: the engine's default
};

// One line for standard error, ending in a line feed; empty when the
// command line was good.
struct UsageError {
    char text[192];
};

// Settings from argv[1..argc-1]. On a bad line, error.text names the
// argument at fault (made printable and cut short) and points to --help.
Settings ParseCommandLine(int argc, const char* const* argv, UsageError& error);
