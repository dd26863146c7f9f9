#include "cli/help.h"

#include "cli/lines.h"

#ifndef SHIROKURO_VERSION
#define SHIROKURO_VERSION "unknown"
#endif

namespace {

constexpr char HelpText[] =
    "Usage: shirokuro [--level N] [--seed MS] [--threads N] [--hash MB]\n"
    "       shirokuro --perft D\n"
    "       shirokuro --solve [--threads N] [--hash MB]\n"
    "       shirokuro --analyse [--level N] [--threads N] [--hash MB]\n"
    "       shirokuro --bench | --help | --version\n"
    "\n"
    "Without options: the board game at the console, as always. Its prompts are\n"
    "Japanese: a terminal shows them in its own character set; a file or a pipe\n"
    "gets CP932 bytes and must send lines ending in CR LF (see shirokuro(6)).\n"
    "\n"
    "  --level N   strength of every computer player, 0 to 7: 0 (the default)\n"
    "              picks a random legal move, 7 plays the strongest\n"
    "  --seed MS   start the random source as if the clock read MS milliseconds\n"
    "              after midnight UTC (0 to 86399999), to replay a game\n"
    "  --perft D   print the number of leaves D plies (0 to 14) from the start\n"
    "  --solve     read positions from standard input, one a line: the 64 cells\n"
    "              11..18, 21..28, ..., 81..88 as X, O or -, a space, and X or O\n"
    "              to move (a CR before the line feed is ignored); print a best\n"
    "              move (the lowest cell among equals, or pass or end) and the\n"
    "              exact final disc difference for the side to move. Any number\n"
    "              of empty cells; the time grows about threefold with each one\n"
    "  --analyse   read positions as --solve does; print the moves the level\n"
    "              (--level, default 7) rates equally best, in ascending cells\n"
    "              joined by commas (or pass or end), and its estimate of the\n"
    "              final disc difference for the side to move (exact where the\n"
    "              level plays exactly)\n"
    "  --threads N threads for exact solving, 1 to 256 (default: every core);\n"
    "              answers and games do not depend on it\n"
    "  --hash MB   the search's table in MiB, 1 to 65536 (default 128)\n"
    "  --bench     search a fixed set of positions on one thread and print the\n"
    "              positions visited (which pins what the search does) and the\n"
    "              speed\n"
    "  --help      print this help\n"
    "  --version   print the version\n"
    "\n"
    "A value may also follow an equals sign (--level=3). --level and --seed go\n"
    "together, --level also with --analyse, --threads and --hash with a game,\n"
    "--solve or --analyse; every other option stands alone.\n"
    "\n"
    "--solve and --analyse answer every line with one line, flushed at once. A\n"
    "line that is not a position is answered with the word error, and the reason\n"
    "goes to standard error as \"shirokuro: line N: reason\" (N counts from 1).\n"
    "\n"
    "Exit status: 0 done; 1 a console failure in a game, a line --solve or\n"
    "--analyse could not read, or a failed read or write of standard input or\n"
    "output (then one line on standard error); 2 a bad command line.\n";

} // namespace

int HelpMode(const Settings&, const engine::Options&)
{
    return PrintAll(HelpText);
}

int VersionMode(const Settings&, const engine::Options&)
{
    return PrintAll("shirokuro " SHIROKURO_VERSION "\n"
                    "Copyright (c) 2026 the shirokuro developers, MIT License, no warranty\n");
}
