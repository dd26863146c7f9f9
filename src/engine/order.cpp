#include "engine/order.h"

#include <algorithm>
#include <span>

#include "engine/last_moves.h"
#include "engine/patterns.h"
#include "engine/score.h"
#include "engine/table.h"

namespace engine {

namespace {

// Up to here the number of replies alone orders the moves; the finer key
// costs more than it saves.
constexpr int RepliesOnlyEmpties = 7;
// From here a shallow search with the evaluation joins the order, with
// the fastest-first key weighed in.
constexpr int ShallowEmpties = 10;
// Up to here, where the evaluation stands alone, a pass may ask for the
// quick one instead.
constexpr int QuickEmpties = 13;
constexpr int ShallowWeight = 1, MobilityWeight = 2;
// A move the shallow search finds worse than the best so far by this
// (tenths of a disc) need only be shown to be.
constexpr int ShallowWindow = 8 * TenthsPerDisc;
// Briefer searches cost little more with a wider one, and more of their
// values are then exact rather than bounds.
constexpr int BrieferWindow = 12 * TenthsPerDisc;
// Plies of the search that guesses a position's value.
constexpr int GuessDepth = 4;

// Fastest first: the opponent's replies, fewest first; corners early.
int OrderKey(const Candidate& c)
{
    Bitboard replies = Moves(c.own, c.opp);
    Bitboard empty = ~(c.own | c.opp);
    int key = 16 * Count(replies) + Count(replies & Corners) * 8 + 2 * Count(Around(c.opp) & empty);
    if (Corners >> c.square & 1)
        key -= 12;
    return key;
}

// A plain search with the solver's learned weights (in tenths of a disc)
// at its leaves, to order moves and to guess the value. It orders better
// than the hand-made evaluation: a fifth fewer nodes at 20 empty squares.
// Called with the widest window it gives the exact minimax value, so its
// own move order changes only its cost.
int Shallow(Worker& w, Bitboard own, Bitboard opp, int depth, int alpha, int beta)
{
    const Weights& weights = w.solver.weights;
    if (depth <= 0)
        return weights.OrderEvaluate(own, opp) / (HundredthsPerDisc / TenthsPerDisc);
    ++w.nodes;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (!Moves(opp, own))
            return FinalScore(DiscDifference(own, opp));
        return -Shallow(w, opp, own, depth, -beta, -alpha);
    }
    CandidateList list;
    int n = ListCandidates(own, opp, moves, list);
    // Likely best first, so that the others cut: by the evaluation three
    // plies from the leaves, by the replies left two plies from them.
    if (depth >= 2)
        for (Candidate& c : std::span(list, n))
            c.key = depth >= 3 ? weights.OrderEvaluate(c.own, c.opp) : OrderKey(c);
    int best = -Infinity;
    for (int k = 0; k < n; ++k) {
        if (depth >= 2)
            PickLowest(list, k, n);
        const Candidate& c = list[k];
        int value = -Shallow(w, c.own, c.opp, depth - 1, -beta, -alpha);
        if (value > best) {
            best = value;
            if (value >= beta)
                break;
            alpha = std::max(alpha, value);
        }
    }
    return best;
}

// Plies of that search: more where positions are few and a wrong first
// move costs the most (measured: two plies did no better than one; from 24
// empty squares six did far better than four, seven and eight worse).
int ShallowDepth(int empties)
{
    return empties >= 24 ? 6 : empties >= 19 ? 4 : empties >= 16 ? 3 : empties >= 14 ? 1 : 0;
}

} // namespace

void KeyMoves(Worker& w, Candidate* list, int n, int empties, int& estimate, int briefer)
{
    std::span moves(list, n);
    if (empties <= RepliesOnlyEmpties) {
        for (Candidate& c : moves)
            c.key = Count(Moves(c.own, c.opp));
        return;
    }
    for (Candidate& c : moves)
        c.key = OrderKey(c);
    if (empties < ShallowEmpties)
        return;
    // Likely best first: a move the shallow search finds worse than the
    // best so far by the window needs only be shown to be, which costs
    // far fewer nodes than its value would.
    int depth = std::max(ShallowDepth(empties) - briefer, 0);
    int window = briefer ? BrieferWindow : ShallowWindow;
    if (depth > 0)
        SortByKey(list, n);
    // Most searches recur, in later windows and other branches; a lone
    // evaluation costs less than looking it up. Bounds are not kept.
    bool memo = depth > 0 && briefer == 0;
    Table& table = w.solver.table;
    bool quick = depth == 0 && empties <= QuickEmpties && w.solver.pass.quick;
    for (Candidate& c : moves) {
        int shallow;
        if (quick) {
            shallow = w.solver.weights.QuickEvaluate(c.own, c.opp) / (HundredthsPerDisc / TenthsPerDisc);
        } else if (!memo || !table.Recall(c.own, c.opp, shallow)) {
            int floor = estimate == -Infinity ? -Infinity : estimate - window;
            shallow = Shallow(w, c.own, c.opp, depth, -Infinity, -floor);
            if (memo && shallow < -floor)
                table.Remember(c.own, c.opp, shallow);
        }
        estimate = std::max(estimate, -shallow);
        c.key = MobilityWeight * c.key + ShallowWeight * shallow;
    }
}

int EstimateError(int empties)
{
    // solve_bench sigma:levels:10:20:40 sigma:random:10:20:40, the two
    // averaged; beyond 20 empty squares one figure, from
    // sigma:levels:21:26:30 and sigma:random:21:24:30 (no trend with the
    // squares there). The estimate is only made from 10.
    constexpr int Measured[21] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 72, 83, 70, 84, 65, 65, 57, 53, 64, 61, 58};
    return empties <= 20 ? Measured[empties] : 52;
}

int Guess(Worker& w, Bitboard own, Bitboard opp)
{
    int value = Shallow(w, own, opp, GuessDepth, -Infinity, Infinity);
    if (value >= WinScore)
        return value - WinScore;
    if (value <= -WinScore)
        return value + WinScore;
    int discs = std::clamp(value / TenthsPerDisc, -MaxDiscs, MaxDiscs);
    return discs & ~1;
}

} // namespace engine
