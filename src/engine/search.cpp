// Middle-game search and the choice of moves by level.
#include <algorithm>
#include <span>

#include "engine/search.h"

#include "engine/endgame.h"
#include "engine/evaluate.h"
#include "engine/movegen.h"
#include "engine/patterns.h"
#include "engine/table.h"

namespace engine {

namespace {

// Plies of search, the number of empty squares from which the level
// plays exactly, and whether it evaluates by the learned patterns.
struct Level {
    int depth, exactFrom;
    bool patterns;
};
constexpr Level Levels[MaxLevel + 1] = {{0, 0, false}, {1, 0, false}, {3, 8, false}, {4, 12, false}, {6, 16, false}, {10, 20, false}};

using Evaluation = int (*)(Bitboard own, Bitboard opp);

constexpr int Infinity = 32000;

template <Evaluation Eval>
int Search(Bitboard own, Bitboard opp, int depth, int alpha, int beta, bool passed)
{
    if (depth <= 0)
        return Eval(own, opp);
    ++SearchNodes;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (passed)
            return FinalScore(Count(own) - Count(opp));
        return -Search<Eval>(opp, own, depth, -beta, -alpha, true);
    }

    int tableMove = -1;
    if (depth >= 2) {
        if (const TableEntry* e = Probe(own, opp); e && !e->exact) {
            if (int value; e->depth >= depth && BoundsSettle(*e, alpha, beta, value))
                return value;
            tableMove = e->move;
        }
    }

    Candidate list[32];
    int n = ListCandidates(own, opp, moves, list);
    for (Candidate& c : std::span(list, n)) {
        if (c.square == tableMove)
            c.key = -2 * Infinity;
        else if (depth >= 2)
            c.key = Eval(c.own, c.opp);  // shallow searches here cost more than they save
    }
    if (depth >= 2)
        std::stable_sort(list, list + n, [](const Candidate& a, const Candidate& b) { return a.key < b.key; });

    int best = -Infinity, bestMove = -1, oldAlpha = alpha;
    for (int i = 0; i < n; ++i) {
        const Candidate& c = list[i];
        int value;
        if (i == 0) {
            value = -Search<Eval>(c.own, c.opp, depth - 1, -beta, -alpha, false);
        } else {
            value = -Search<Eval>(c.own, c.opp, depth - 1, -alpha - 1, -alpha, false);
            if (value > alpha && value < beta)
                value = -Search<Eval>(c.own, c.opp, depth - 1, -beta, -alpha, false);
        }
        if (value > best) {
            best = value;
            bestMove = c.square;
            if (value >= beta)
                break;
            alpha = std::max(alpha, value);
        }
    }
    if (depth >= 2)
        Store(own, opp, depth, false, oldAlpha, beta, best, bestMove);
    return best;
}

// The value of a move at the root, for the player making it.
template <Evaluation Eval>
int RootValue(const Candidate& c, int depth, int alpha, int beta)
{
    return -Search<Eval>(c.own, c.opp, depth - 1, -beta, -alpha, false);
}

// Values every root move just enough to know which are equal best: the
// first in full, the others in a window of one either side of the best.
// Puts the best first (ordered by value as far as known); returns their count.
template <Evaluation Eval>
int EqualBest(Candidate* list, int n, int depth)
{
    int best = RootValue<Eval>(list[0], depth, -Infinity, Infinity);
    list[0].key = best;
    int ties = 1;
    for (int i = 1; i < n; ++i) {
        Candidate c = list[i];
        int v = RootValue<Eval>(c, depth, best - 1, best + 1);
        if (v > best) {
            v = RootValue<Eval>(c, depth, best, Infinity);
            best = v;
            ties = 0;
        }
        c.key = v;
        if (v == best) {
            std::move_backward(list + ties, list + i, list + i + 1);
            list[ties++] = c;
        } else {
            list[i] = c;
        }
    }
    // Keep the rest in order of their (bounded) values for the next pass.
    std::stable_sort(list + ties, list + n, [](const Candidate& a, const Candidate& b) { return a.key > b.key; });
    return ties;
}

} // namespace

int SearchScore(Bitboard own, Bitboard opp, int depth)
{
    UseBuiltinWeights();
    NewSearch();
    int value = 0;
    for (int d = 1; d <= depth; ++d)
        value = Search<PatternEvaluate>(own, opp, d, -Infinity, Infinity, false);
    return value;
}

} // namespace engine

using namespace engine;

int AnalyseMoves(const Position& p, int level, int moves[64], int& discs)
{
    const Level& l = Levels[std::clamp(level, 1, MaxLevel)];
    Bitboard legal = Moves(p.own, p.opp);
    Candidate list[32];
    int n = ListCandidates(p.own, p.opp, legal, list);
    if (n == 0)
        return 0;

    if (Count(~(p.own | p.opp)) <= l.exactFrom) {
        // The position's value, then which moves reach it: one narrow
        // window each, mostly answered from the table. Exact bounds hold
        // however they were found and the answer does not depend on the
        // order of search, so the table keeps what earlier moves of the
        // game solved: no new search generation here.
        int value = SolveBetween(p.own, p.opp, -64, 64);
        int count = 0;
        for (int i = 0; i < n; ++i)
            if (SolveWindow(list[i].own, list[i].opp, -value, -value + 1) <= -value)
                moves[count++] = list[i].square;
        discs = value;
        return count;
    }

    NewSearch();
    if (l.patterns)
        UseBuiltinWeights();
    int ties = 1;
    for (int depth = 1; depth <= l.depth; ++depth)
        ties = l.patterns ? EqualBest<PatternEvaluate>(list, n, depth) : EqualBest<Evaluate>(list, n, depth);
    for (int i = 0; i < ties; ++i)
        moves[i] = list[i].square;
    std::sort(moves, moves + ties);
    discs = DiscsOfScore(list[0].key);
    return ties;
}

int BestMoves(const Position& p, int level, int moves[64])
{
    int discs;
    return AnalyseMoves(p, level, moves, discs);
}
