#include "engine/root.h"

#include <algorithm>
#include <span>

#include "engine/deep.h"
#include "engine/middlegame.h"
#include "engine/order.h"
#include "engine/score.h"
#include "engine/table.h"
#include "engine/threads.h"

namespace engine {

namespace {

// The selective pass before the exact one, from the options' selective
// empties (16) on: its margin.
constexpr Confidence Selective{1, 8 * TenthsPerDisc, 0, 90};
// From the options' deep empties a solve first searches the middle game,
// and then goes through selective passes of growing confidence (margins in
// standard deviations of the estimate's error), each starting from the
// last one's value, with its table entries to order the moves. From the
// options' brief empties the 99% pass is left out: the table no longer
// keeps enough of its tree, and the exact pass after it saves less than
// the pass cost.
constexpr Confidence DeepPasses[] = {{1, 0, 10, 84}, {2, 0, 16, 95}, {3, 0, 26, 99}};
// The exact pass after them orders the moves of nodes the table has no
// move for by shallow searches two plies briefer, and those of 10 to 13
// empty squares by the quick evaluation: it visits more nodes on some
// positions, but spends less time ordering them. Below the deep empties
// the full searches and the whole evaluation stay: they visit the fewest
// nodes on most positions there.
constexpr Confidence DeepExact{.briefer = 2, .quick = true};
// Plies of that middle-game search.
constexpr int MiddleGameDepth(int empties) { return std::clamp(empties - 14, 8, 14); }

// A window at the root, on every thread when the position is big enough.
int RootWindow(Solver& s, Bitboard own, Bitboard opp, int alpha, int beta)
{
    Worker main(s);
    int value;
    if (s.pool.Threads() > 1 && !s.serial && Count(~(own | opp)) >= s.options.parallelEmpties) {
        value = s.pool.Run(s, main, [&](Worker& w) { return SolveDeep(w, own, opp, alpha, beta, false); });
    } else {
        value = SolveDeep(main, own, opp, alpha, beta, false);
    }
    main.Publish();
    s.nodes += main.nodes;
    return value;
}

void ShowBounds(Solver& s, int lower, int upper)
{
    s.progress.lower.store(lower, std::memory_order_relaxed);
    s.progress.upper.store(upper, std::memory_order_relaxed);
}

// The value in [lower, upper] by windows one wide, from the guess on.
// Only an exact pass's bounds go to the progress report.
int Windows(Solver& s, Bitboard own, Bitboard opp, int lower, int upper, int guess)
{
    while (lower < upper) {
        int beta = guess == lower ? guess + 1 : guess;
        guess = RootWindow(s, own, opp, beta - 1, beta);
        (guess < beta ? upper : lower) = guess;
        if (s.pass.sure == Exact)
            ShowBounds(s, lower, upper);
    }
    return lower;
}

// The first of the moves, in list order, whose value reaches beta, or -1;
// best gets the highest value found, a bound when none reaches it.
int FirstReaching(Solver& s, const Candidate* list, int n, int beta, int& best)
{
    best = NoValue;
    for (int i = 0; i < n; ++i) {
        int value = -RootWindow(s, list[i].own, list[i].opp, -beta, -beta + 1);
        best = std::max(best, value);
        if (value >= beta)
            return i;
    }
    return -1;
}

// A first guess at the value: the middle game's search over the learned
// evaluation, rounded to discs.
int MiddleGameGuess(Solver& s, Bitboard own, Bitboard opp, int empties)
{
    MiddleGame m{s.weights, s.table, s.progress};
    int value = ScoreByDepth(m, {own, opp}, MiddleGameDepth(empties), Style::Selective);
    s.nodes += m.nodes;
    s.progress.depth.store(0, std::memory_order_relaxed);
    return DiscsOfScore(value);
}

// The passes' values in turn, each from the last; the last pass stays set.
int Passes(Solver& s, Bitboard own, Bitboard opp, int lower, int upper, int guess, std::span<const Confidence> passes)
{
    for (const Confidence& pass : passes) {
        s.pass = pass;
        s.progress.percent.store(pass.percent, std::memory_order_relaxed);
        guess = Windows(s, own, opp, lower, upper, guess);
        TableEntry root;
        s.progress.doneValue.store(guess, std::memory_order_relaxed);
        s.progress.doneMove.store(s.table.Lookup(own, opp, root) ? root.move : -1, std::memory_order_relaxed);
        s.progress.donePercent.store(pass.percent, std::memory_order_relaxed);
    }
    return guess;
}

// A first guess at the value in [lower, upper]: a shallow search (from the
// deep empties the middle game's), then from the selective empties on the
// value the selective passes find.
int Estimate(Solver& s, Bitboard own, Bitboard opp, int lower, int upper)
{
    int empties = Count(~(own | opp));
    s.table.Fit(empties);
    // A solve that probes widely does so with fewer TLB misses in huge
    // pages; asked for before the guess first writes the table's pages.
    if (empties >= s.options.parallelEmpties)
        s.table.UseHugePages();
    s.pass = {};
    int guess = 0;
    bool deep = empties >= std::max(s.options.deepEmpties, s.options.selectiveEmpties);
    if (deep) {
        guess = MiddleGameGuess(s, own, opp, empties);
    } else if (empties >= s.options.parallelEmpties) {
        Worker w(s);
        guess = Guess(w, own, opp);
        s.nodes += w.nodes;
    }
    guess = std::clamp(guess, lower, upper);
    ShowBounds(s, lower, upper);
    if (empties >= s.options.selectiveEmpties) {
        std::span<const Confidence> passes = deep ? std::span(DeepPasses) : std::span(&Selective, 1);
        if (deep && empties >= s.options.briefEmpties)
            passes = passes.first(2);
        guess = Passes(s, own, opp, lower, upper, guess, passes);
        s.pass = deep ? DeepExact : Confidence{};
        s.progress.percent.store(100, std::memory_order_relaxed);
    }
    return guess;
}

} // namespace

int SolveWindow(Solver& s, Bitboard own, Bitboard opp, int alpha, int beta)
{
    return RootWindow(s, own, opp, alpha, beta);
}

int SolveBetween(Solver& s, Bitboard own, Bitboard opp, int lower, int upper)
{
    return Windows(s, own, opp, lower, upper, Estimate(s, own, opp, lower, upper));
}

int SolveFirst(Solver& s, Bitboard own, Bitboard opp, const Candidate* list, int n, int& first)
{
    int lower = -MaxDiscs, upper = MaxDiscs, guess = Estimate(s, own, opp, lower, upper);
    // The window at the guess, and each window at a value known to be the
    // highest possible, try the moves one by one in list order: where
    // such a window is reached, the first move to reach it is the answer,
    // and the moves before it are proved lower by as much as they need be.
    // Searched as one node, a window would find some best move first, and
    // proving those before it in the list would mostly be new work.
    first = -1;
    int beta = std::max(guess, lower + 1);
    bool scan = true;
    while (lower < upper) {
        bool high;
        // first stays the first move known to reach lower, if any.
        if (scan || beta == upper) {
            int best, i = FirstReaching(s, list, n, beta, best);
            high = i >= 0;
            if (high)
                first = i;
            (high ? lower : upper) = high ? beta : best;
        } else {
            int value = RootWindow(s, own, opp, beta - 1, beta);
            high = value >= beta;
            (high ? lower : upper) = value;
            if (high)
                first = -1;
        }
        ShowBounds(s, lower, upper);
        beta = high ? lower + 1 : upper;
        scan = false;
    }
    if (first < 0) {
        int best;
        first = FirstReaching(s, list, n, lower, best);
    }
    return lower;
}

int SolveSure(Solver& s, Bitboard own, Bitboard opp, const Candidate* list, int n, int percent, int& first)
{
    int empties = Count(~(own | opp));
    s.table.Fit(empties);
    s.serial = true;
    int value = std::clamp(MiddleGameGuess(s, own, opp, empties), -MaxDiscs, MaxDiscs);
    ShowBounds(s, -MaxDiscs, MaxDiscs);
    auto last = std::find_if(std::begin(DeepPasses) + 1, std::end(DeepPasses),
                             [percent](const Confidence& pass) { return pass.percent > percent; });
    value = Passes(s, own, opp, -MaxDiscs, MaxDiscs, value, std::span(std::begin(DeepPasses), last));
    // The first move in list order that reaches the value under the last
    // pass; its cuts may disagree with the root's, and then the one that
    // comes closest.
    int top = NoValue;
    first = 0;
    for (int i = 0; i < n && top < value; ++i) {
        int v = -RootWindow(s, list[i].own, list[i].opp, -value, -value + 1);
        if (v > top) {
            top = v;
            first = i;
        }
    }
    s.pass = {};
    s.serial = false;
    return value;
}

} // namespace engine
