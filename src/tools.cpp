#include "tools.h"

#include "analyse.h"

#include <bit>
#include <cinttypes>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#ifndef SHIROKURO_VERSION
#define SHIROKURO_VERSION "unknown"
#endif

namespace {

constexpr char HelpText[] =
    "Usage: shirokuro [--level N] [--seed MS]\n"
    "       shirokuro --perft D\n"
    "       shirokuro --solve\n"
    "       shirokuro --analyse [--level N]\n"
    "       shirokuro --help | --version\n"
    "\n"
    "Without options: the board game at the console, as always (Japanese\n"
    "prompts in CP932; see shirokuro(6)).\n"
    "\n"
    "  --level N   strength of every computer player, 0 to 7: 0 (the default)\n"
    "              picks a random legal move, 7 plays the strongest\n"
    "  --seed MS   start the random source as if the clock read MS milliseconds\n"
    "              after midnight UTC (0 to 86399999), to replay a game\n"
    "  --perft D   print the number of leaves D plies (0 to 14) from the start\n"
    "  --solve     read positions from standard input, one a line: the 64 cells\n"
    "              11..18, 21..28, ..., 81..88 as X, O or -, a space, and X or O\n"
    "              to move (at most 24 empty cells; a CR before the line feed is\n"
    "              ignored); print a best move (a cell number, or pass or end)\n"
    "              and the exact final disc difference for the side to move\n"
    "  --analyse   read positions as --solve does (any number of empty cells);\n"
    "              print the moves the level (--level, default 7) rates equally\n"
    "              best, in ascending cells joined by commas (or pass or end),\n"
    "              and its estimate of the final disc difference for the side\n"
    "              to move (exact where the level plays exactly)\n"
    "  --help      print this help\n"
    "  --version   print the version\n"
    "\n"
    "A value may also follow an equals sign (--level=3). --level and --seed go\n"
    "together, --level also with --analyse; every other option stands alone.\n"
    "\n"
    "Exit status: 0 done; 1 a console failure in a game, or a line --solve or\n"
    "--analyse could not read; 2 a bad command line.\n";

// The side to move's discs are own, whatever colour it is.
Position StartPosition()
{
    auto bit = [](int cell) { return Bitboard{1} << SquareOfCell(cell); };
    return {bit(44) | bit(55), bit(45) | bit(54)};
}

// Each line printed at once, so that a reader sees answers as they come.
bool Print(std::FILE* out, const char* text)
{
    return std::fputs(text, out) >= 0 && std::fflush(out) == 0;
}

} // namespace

void UseBinaryStreams()
{
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

bool ReadSolveLine(std::string_view line, Position& position, const char*& problem, bool anyEmpties)
{
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (line.size() != 66) {
        problem = "expected 64 cells of X, O or -, a space, and X or O to move";
        return false;
    }
    Bitboard x = 0, o = 0;
    for (int square = 0; square < 64; ++square) {
        char c = line[static_cast<std::size_t>(square)];
        if (c == 'X')
            x |= Bitboard{1} << square;
        else if (c == 'O')
            o |= Bitboard{1} << square;
        else if (c != '-') {
            problem = "a cell is not X, O or -";
            return false;
        }
    }
    if (line[64] != ' ' || (line[65] != 'X' && line[65] != 'O')) {
        problem = "expected a space and X or O to move after the 64 cells";
        return false;
    }
    if (!anyEmpties && 64 - std::popcount(x | o) > MaxSolveEmpties) {
        problem = "more than 24 empty cells";
        return false;
    }
    position = line[65] == 'X' ? Position{x, o} : Position{o, x};
    return true;
}

bool AnswerSolveLine(std::string_view line, char (&answer)[96])
{
    Position position;
    const char* problem = nullptr;
    if (!ReadSolveLine(line, position, problem)) {
        std::snprintf(answer, sizeof answer, "error: %s\n", problem);
        return false;
    }
    int best = -1;
    int difference = Solve(position, &best);
    if (best >= 0)
        std::snprintf(answer, sizeof answer, "%d %d\n", CellOfSquare(best), difference);
    else
        std::snprintf(answer, sizeof answer, "%s %d\n", LegalMoves(Pass(position)) ? "pass" : "end", difference);
    return true;
}

int AnswerLines(std::FILE* in, std::FILE* out, const LineAnswer& answerLine)
{
    // Enough to tell every line too long from a good one; the rest of a
    // long line is read and dropped.
    char line[80];
    bool good = true;
    for (;;) {
        std::size_t length = 0;
        bool any = false;
        int c;
        while ((c = std::getc(in)) != EOF && c != '\n') {
            any = true;
            if (length < sizeof line)
                line[length++] = static_cast<char>(c);
        }
        if (c == EOF && !any)
            break;
        char answer[200];
        good &= answerLine(std::string_view(line, length), answer);
        if (!Print(out, answer))
            return 1;
        if (c == EOF)
            break;
    }
    return good && !std::ferror(in) ? 0 : 1;
}

int RunSolve(std::FILE* in, std::FILE* out)
{
    return AnswerLines(in, out, [](std::string_view line, char (&answer)[200]) {
        char solved[96];
        bool good = AnswerSolveLine(line, solved);
        std::snprintf(answer, sizeof answer, "%s", solved);
        return good;
    });
}

int RunTool(const Settings& settings)
{
    UseBinaryStreams();
    switch (settings.mode) {
    case Mode::Help:
        return Print(stdout, HelpText) ? 0 : 1;
    case Mode::Version:
        return Print(stdout, "shirokuro " SHIROKURO_VERSION "\n") ? 0 : 1;
    case Mode::Perft: {
        char count[32];
        std::snprintf(count, sizeof count, "%" PRIu64 "\n", Perft(StartPosition(), settings.perftDepth));
        return Print(stdout, count) ? 0 : 1;
    }
    case Mode::Solve:
        if (!InitSearch()) {
            std::fputs("shirokuro: not enough memory for the search\n", stderr);
            return 1;
        }
        return RunSolve(stdin, stdout);
    case Mode::Analyse:
        if (!InitSearch()) {
            std::fputs("shirokuro: not enough memory for the search\n", stderr);
            return 1;
        }
        return RunAnalyse(stdin, stdout, settings.level);
    case Mode::Game:
        break;
    }
    return 2;
}
