#include "engine/engine.h"

#include <algorithm>

#include "engine/middlegame.h"
#include "engine/movegen.h"
#include "engine/patterns.h"
#include "engine/root.h"
#include "engine/score.h"
#include "engine/solver.h"
#include "engine/symmetry.h"
#include "engine/table.h"
#include "engine/threads.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <thread>
#endif

namespace engine {

namespace {

constexpr Level Levels[MaxLevel + 1] = {
    {0, 0, Style::Hand},       {1, 0, Style::Patterns},   {2, 8, Style::Patterns},    {4, 10, Style::Patterns},
    {6, 12, Style::Selective}, {8, 14, Style::Selective}, {11, 16, Style::Selective},
    {16, 20, Style::Selective, true, 0, 84}};

// Analysis has no move time to keep: from here a level with a confidence
// answers by the passes, which take seconds on one thread (too long for a
// game's move; in games they did not beat the 16-ply search from 24 empty
// squares either).
constexpr int AnalysisSureFrom = 30;

} // namespace

const Level& GameLevel(int level) { return Levels[std::clamp(level, 1, MaxLevel)]; }

Level AnalysisLevel(int level)
{
    Level l = GameLevel(level);
    if (l.percent)
        l.sureFrom = std::max(l.sureFrom, AnalysisSureFrom);
    return l;
}

int DefaultThreads()
{
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::max(static_cast<int>(info.dwNumberOfProcessors), 1);
#else
    return std::max(static_cast<int>(std::thread::hardware_concurrency()), 1);
#endif
}

void Progress::Start()
{
    nodes.store(0, std::memory_order_relaxed);
    depth.store(0, std::memory_order_relaxed);
    lower.store(-MaxDiscs, std::memory_order_relaxed);
    upper.store(MaxDiscs, std::memory_order_relaxed);
    percent.store(100, std::memory_order_relaxed);
    donePercent.store(0, std::memory_order_relaxed);
    doneMove.store(-1, std::memory_order_relaxed);
}

struct Engine::State {
    State(const Options& o, const Weights& w)
        : options(o), weights(w), pool(o.threads), solver{table, weights, pool, options, progress, {}, 0}
    {
        ready = table.Allocate(o.tableMegabytes);
    }

    MiddleGame NewMiddleGame() { return MiddleGame{weights, table, progress}; }

    Options options;
    const Weights& weights;
    Table table;
    Pool pool;
    Progress progress;
    Solver solver;
    std::uint64_t middleGameNodes = 0;
    bool ready = false;
};

Engine::Engine(const Options& options, const Weights* weights)
    : state_(new State(options, weights ? *weights : Weights::Builtin()))
{
}

Engine::~Engine() = default;

bool Engine::Ready() const { return state_->ready; }

int Engine::Analyse(const Position& p, int level, int (&moves)[64], int& discs)
{
    return Analyse(p, GameLevel(level), moves, discs);
}

int Engine::Analyse(const Position& p, const Level& level, int (&moves)[64], int& discs)
{
    State& s = *state_;
    s.progress.Start();
    CandidateList list;
    int n = ListCandidates(p.own, p.opp, LegalMoves(p), list);
    if (n == 0)
        return 0;

    int empties = Count(~(p.own | p.opp));
    if (empties <= level.exactFrom) {
        // The position's value with the first move reaching it, then which
        // later moves reach it too: one narrow window each. Exact bounds
        // hold however they were found and the answer does not depend on
        // the order of search, so the table keeps what earlier moves of
        // the game solved: no new search generation here.
        int first;
        int value = SolveFirst(s.solver, p.own, p.opp, list, n, first);
        int count = 0;
        moves[count++] = list[first].square;
        for (int i = first + 1; i < n; ++i)
            if (SolveWindow(s.solver, list[i].own, list[i].opp, -value, -value + 1) <= -value)
                moves[count++] = list[i].square;
        discs = value;
        return count;
    }

    if (empties <= level.sureFrom) {
        // A new generation: a selective pass trusts its own kind of entry,
        // and those of other positions' passes would make the answer
        // depend on the game so far.
        s.table.NewSearch(empties);
        // One move and its images, which the position's symmetries make as good.
        int first;
        discs = SolveSure(s.solver, p.own, p.opp, list, n, level.percent, first);
        return WithImages(&list[first].square, 1, Symmetries(p.own, p.opp), moves);
    }

    s.table.NewMiddleGameSearch();
    MiddleGame m = s.NewMiddleGame();
    int count = ChooseMiddleGame(m, p, level, list, n, moves, discs);
    s.middleGameNodes += m.nodes;
    return count;
}

int Engine::Solve(const Position& p, int* bestSquare)
{
    State& s = *state_;
    s.table.NewSearch(Count(~(p.own | p.opp)));
    s.progress.Start();
    CandidateList list;
    int n = ListCandidates(p.own, p.opp, LegalMoves(p), list);
    int value, first = -1;
    // The list is in ascending squares, so the first move reaching the
    // value is the lowest square among the equally best.
    if (n)
        value = SolveFirst(s.solver, p.own, p.opp, list, n, first);
    else
        value = engine::SolveBetween(s.solver, p.own, p.opp, -MaxDiscs, MaxDiscs);
    if (bestSquare)
        *bestSquare = first < 0 ? -1 : list[first].square;
    return value;
}

int Engine::SolveBetween(const Position& p, int lower, int upper)
{
    state_->table.NewSearch();
    return engine::SolveBetween(state_->solver, p.own, p.opp, lower, upper);
}

int Engine::Score(const Position& p, int depth, Style style)
{
    State& s = *state_;
    s.table.NewSearch();
    MiddleGame m = s.NewMiddleGame();
    int value = ScoreByDepth(m, p, depth, style);
    s.middleGameNodes += m.nodes;
    return value;
}

SearchStatus Engine::Status() const
{
    const Progress& s = state_->progress;
    auto get = [](const auto& a) { return a.load(std::memory_order_relaxed); };
    return {get(s.nodes),   get(s.depth),        get(s.lower),     get(s.upper),
            get(s.percent), get(s.donePercent), get(s.doneValue), get(s.doneMove)};
}

std::uint64_t Engine::Nodes() const { return state_->solver.nodes + state_->middleGameNodes; }

} // namespace engine
