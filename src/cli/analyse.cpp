#include "cli/analyse.h"

#include <bit>

#include "cli/lines.h"
#include "engine/engine.h"

namespace {

// The moves level chooses among and its estimate, as text; level 0
// takes any legal move and has no estimate.
int Moves(engine::Engine& search, const engine::Position& p, int level, int (&moves)[64], int& discs)
{
    if (level > 0)
        return search.Analyse(p, engine::AnalysisLevel(level), moves, discs);
    int n = 0;
    for (engine::Bitboard m = engine::LegalMoves(p); m; m &= m - 1)
        moves[n++] = std::countr_zero(m);
    discs = 0;
    return n;
}

} // namespace

bool AnswerAnalyseLine(engine::Engine& search, std::string_view line, int level, char (&answer)[200],
                       std::size_t length)
{
    engine::Position p;
    char problem[88];
    if (!ReadPositionLine(line, p, problem, length)) {
        std::snprintf(answer, sizeof answer, "%s", problem);
        return false;
    }
    int moves[64], discs = 0;
    if (int n = Moves(search, p, level, moves, discs)) {
        // Even 60 moves of three characters each fit.
        int length = 0;
        for (int i = 0; i < n; ++i)
            length += std::snprintf(answer + length, sizeof answer - static_cast<std::size_t>(length), "%s%d",
                                    i ? "," : "", engine::CellOfSquare(moves[i]));
        std::snprintf(answer + length, sizeof answer - static_cast<std::size_t>(length), " %d\n", discs);
        return true;
    }
    if (engine::LegalMoves(engine::Pass(p))) {
        Moves(search, engine::Pass(p), level, moves, discs);
        std::snprintf(answer, sizeof answer, "pass %d\n", -discs);
    } else {
        std::snprintf(answer, sizeof answer, "end %d\n", std::popcount(p.own) - std::popcount(p.opp));
    }
    return true;
}

int RunAnalyse(engine::Engine& search, std::FILE* in, std::FILE* out, std::FILE* err, int level)
{
    return AnswerLines(in, out, err, search,
                       [&search, level](std::string_view line, std::size_t length, char (&answer)[200]) {
        return AnswerAnalyseLine(search, line, level, answer, length);
    });
}

int AnalyseMode(const Settings& settings, const engine::Options& options)
{
    engine::Engine search(options);
    return SearchReady(search) ? RunAnalyse(search, stdin, stdout, stderr, settings.level) : 1;
}
