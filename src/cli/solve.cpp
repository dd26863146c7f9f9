#include "cli/solve.h"

#include "cli/lines.h"

bool AnswerSolveLine(engine::Engine& search, std::string_view line, char (&answer)[96], std::size_t length)
{
    engine::Position position;
    char problem[88];
    if (!ReadPositionLine(line, position, problem, length)) {
        std::snprintf(answer, sizeof answer, "%s", problem);
        return false;
    }
    int best = -1;
    int difference = search.Solve(position, &best);
    if (best >= 0)
        std::snprintf(answer, sizeof answer, "%d %d\n", engine::CellOfSquare(best), difference);
    else
        std::snprintf(answer, sizeof answer, "%s %d\n", engine::LegalMoves(engine::Pass(position)) ? "pass" : "end",
                      difference);
    return true;
}

int RunSolve(engine::Engine& search, std::FILE* in, std::FILE* out, std::FILE* err)
{
    return AnswerLines(in, out, err, search, [&search](std::string_view line, std::size_t length, char (&answer)[200]) {
        char solved[96];
        bool good = AnswerSolveLine(search, line, solved, length);
        std::snprintf(answer, sizeof answer, "%s", solved);
        return good;
    });
}

int SolveMode(const Settings&, const engine::Options& options)
{
    engine::Engine search(options);
    return SearchReady(search) ? RunSolve(search, stdin, stdout, stderr) : 1;
}
