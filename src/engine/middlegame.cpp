#include "engine/middlegame.h"

#include <algorithm>
#include <bit>
#include <span>

#include "engine/evaluate.h"
#include "engine/nodes.h"
#include "engine/patterns.h"
#include "engine/score.h"
#include "engine/symmetry.h"
#include "engine/table.h"

namespace engine {

namespace {

// A move deepens no further once it has cost MoveNodes positions (and
// gives up the ply it is on at the level's nodeCap: one ply can cost many
// times the ones before it).
constexpr std::uint64_t MoveNodes = 1'000'000;
// In a game's first four moves, those within a margin of the best
// (hundredths of a disc) count as equally good: the estimates there are
// rough, and a margin that wide makes every level's games vary.
constexpr int OpeningEmpties = 57, OpeningMargin = 5 * HundredthsPerDisc;
// Positions between two reports of the search's progress.
constexpr std::uint64_t ReportEvery = 1 << 16;

// A finished game: over the learned evaluation as its margin in the same
// hundredths of a disc, so that selective cuts work near the end as well.
template <Style S>
int Final(int discDifference)
{
    if constexpr (S == Style::Hand || S == Style::Labels)
        return FinalScore(discDifference);
    else
        return HundredthsPerDisc * discDifference;
}

template <Style S>
int Eval(const MiddleGame& m, Bitboard own, Bitboard opp)
{
    if constexpr (S == Style::Hand)
        return HandEvaluate(own, opp);
    else
        return m.weights.Evaluate(own, opp);
}

// The value at the horizon: a finished game counts as such. The hand-made
// search and the trainer's labels keep the estimate there, as the shipped
// weights were fitted with it.
template <Style S>
int Horizon(const MiddleGame& m, Bitboard own, Bitboard opp)
{
    if constexpr (S == Style::Patterns || S == Style::Selective) {
        Bitboard ownMoves = Moves(own, opp), oppMoves = Moves(opp, own);
        if (!(ownMoves | oppMoves))
            return Final<S>(Count(own) - Count(opp));
        return m.weights.Evaluate(own, opp, ownMoves, oppMoves);
    } else {
        return Eval<S>(m, own, opp);
    }
}

// Selective search: from CutDepth plies on, a search of ShallowDepth
// plies predicts the deep value; when it lies a safe margin outside the
// window, the node is cut without the deep search. The margins are
// CutSpread standard deviations of the deep value about the shallow one,
// measured by the trainer (trainer --calibrate) for bands of ten empty
// squares, in hundredths of a disc (up to 19 empty squares as from 20 to
// 29, beyond 10 plies as at 10).
constexpr int CutDepth = 3, CalibratedDepth = 12;
constexpr int ShallowDepth(int depth) { return depth / 4 * 2 + (depth & 1); }
constexpr int Deviation[6][CalibratedDepth + 1] = {
    {0, 0, 0, 395, 405, 341, 614, 459, 415, 368, 535, 535, 535},  // 0-9 empty squares (39 positions)
    {0, 0, 0, 395, 405, 341, 614, 459, 415, 368, 535, 535, 535},  // 10-19 empty squares (39 positions)
    {0, 0, 0, 395, 405, 341, 614, 459, 415, 368, 535, 535, 535},  // 20-29 empty squares (39 positions)
    {0, 0, 0, 463, 440, 380, 440, 380, 284, 267, 346, 346, 346},  // 30-39 empty squares (34 positions)
    {0, 0, 0, 325, 258, 213, 280, 250, 228, 171, 272, 272, 272},  // 40-49 empty squares (31 positions)
    {0, 0, 0, 126, 136, 104, 147, 117, 113, 107, 143, 143, 143},  // 50-59 empty squares (46 positions)
};
constexpr int CutSpread = 150;  // hundredths of a standard deviation

int CutMargin(int empties, int depth)
{
    return Deviation[std::min(empties, 59) / 10][std::min(depth, CalibratedDepth)] * CutSpread / 100;
}

template <Style S>
int Search(MiddleGame& m, Bitboard own, Bitboard opp, int depth, int alpha, int beta, bool passed)
{
    if (depth <= 0)
        return Horizon<S>(m, own, opp);
    if (++m.nodes >= m.stopAt)
        m.abandoned = true;
    if (m.nodes % ReportEvery == 0)
        m.progress.nodes.fetch_add(ReportEvery, std::memory_order_relaxed);
    if (m.abandoned)
        return 0;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (passed)
            return Final<S>(Count(own) - Count(opp));
        return -Search<S>(m, opp, own, depth, -beta, -alpha, true);
    }

    int tableMove = -1;
    if (depth >= 2) {
        // Its own entries only: exact ones count discs.
        int value;
        if (Probe(
                m.table, own, opp, alpha, beta, [](const TableEntry& e) { return e.sure != Exact; },
                [depth](const TableEntry& e) { return e.sure == Evaluated && e.depth >= depth; }, value, tableMove))
            return value;
    }

    if constexpr (S == Style::Selective) {
        if (depth >= CutDepth && alpha > -EvalLimit && beta < EvalLimit) {
            int margin = CutMargin(Count(~(own | opp)), depth), shallow = ShallowDepth(depth);
            if (int bound = beta + margin;
                bound < EvalLimit && Search<S>(m, own, opp, shallow, bound - 1, bound, passed) >= bound)
                return beta;
            if (int bound = alpha - margin;
                bound > -EvalLimit && Search<S>(m, own, opp, shallow, bound, bound + 1, passed) <= bound)
                return alpha;
            if (m.abandoned)
                return 0;
        }
    }

    CandidateList list;
    int n = ListCandidates(own, opp, moves, list);
    for (Candidate& c : std::span(list, n)) {
        if (c.square == tableMove)
            c.key = -2 * Infinity;
        else if (depth >= 2)
            c.key = Eval<S>(m, c.own, c.opp);  // shallow searches here cost more than they save
    }

    Best best{-Infinity};
    int oldAlpha = alpha;
    for (int k = 0; k < n; ++k) {
        if (depth >= 2)
            PickLowest(list, k, n);
        const Candidate& c = list[k];
        int value = MoveValue(
            k, alpha, beta, [&](int a, int b) { return -Search<S>(m, c.own, c.opp, depth - 1, -b, -a, false); },
            [] { return true; });
        if (m.abandoned)
            return 0;
        if (best.Take(value, c.square, alpha, beta))
            break;
    }
    if (depth >= 2)
        m.table.Record(own, opp, depth, Evaluated, oldAlpha, beta, best.value, best.move);
    return best.value;
}

// The value of a move at the root, for the player making it.
template <Style S>
int RootValue(MiddleGame& m, const Candidate& c, int depth, int alpha, int beta)
{
    return -Search<S>(m, c.own, c.opp, depth - 1, -beta, -alpha, false);
}

// Values every root move just enough to know which lie within margin of
// the best: the first in full, the others in a window from just below the
// margin to just above the best. Puts those first, the best leading, and
// the rest in order of their (bounded) values for the next pass; returns
// their count, or 0 when the search was abandoned (the list is then in no
// order). A move found better than the best is searched again above it,
// and whatever that gives is the best from then on.
template <Style S>
int EqualBest(MiddleGame& m, Candidate* list, int n, int depth, int margin)
{
    int best = RootValue<S>(m, list[0], depth, -Infinity, Infinity);
    list[0].key = best;
    int ties = 1;
    for (int i = 1; i < n && !m.abandoned; ++i) {
        Candidate c = list[i];
        c.key = RootValue<S>(m, c, depth, best - margin - 1, best + 1);
        if (c.key > best && !m.abandoned) {
            c.key = RootValue<S>(m, c, depth, best, Infinity);
            best = c.key;
            ties = 0;
        }
        if (c.key >= best - margin) {
            std::move_backward(list + ties, list + i, list + i + 1);
            list[ties++] = c;
        } else {
            list[i] = c;
        }
    }
    if (m.abandoned)
        return 0;
    std::stable_sort(list + ties, list + n, [](const Candidate& a, const Candidate& b) { return a.key > b.key; });
    // Moves within the margin of a best found after them.
    while (margin && ties < n && list[ties].key >= best - margin)
        ++ties;
    return ties;
}

int EqualBest(MiddleGame& m, Style style, Candidate* list, int n, int depth, int margin)
{
    switch (style) {
    case Style::Hand:
        return EqualBest<Style::Hand>(m, list, n, depth, margin);
    case Style::Patterns:
        return EqualBest<Style::Patterns>(m, list, n, depth, margin);
    case Style::Selective:
        return EqualBest<Style::Selective>(m, list, n, depth, margin);
    case Style::Labels:
        return EqualBest<Style::Labels>(m, list, n, depth, margin);
    }
    return 0;
}

// Keeps the lowest square of each set of moves that the position's
// symmetries map onto each other: they are worth the same.
int DropImages(Candidate* list, int n, unsigned symmetries)
{
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        Bitboard move = Bitboard{1} << list[i].square;
        bool image = false;
        for (int k = 1; k < 8; ++k)
            if ((symmetries >> k & 1) && Image(move, k) < move)
                image = true;
        if (!image)
            list[kept++] = list[i];
    }
    return kept;
}

template <Style S>
int Deepen(MiddleGame& m, const Position& p, int depth)
{
    int value = 0;
    for (int d = 1; d <= depth; ++d)
        value = Search<S>(m, p.own, p.opp, d, -Infinity, Infinity, false);
    return value;
}

} // namespace

int ChooseMiddleGame(MiddleGame& m, const Position& p, const Level& level, Candidate* list, int n, int (&moves)[64],
                     int& discs)
{
    // The game's levels search one move of each set that the position's
    // symmetries make equal, and in the opening take any move within a
    // margin of the best, so that games vary with the seed. The trainer's
    // hand-made player keeps its own choices, as its games were played.
    unsigned symmetries = 1;
    int margin = 0;
    if (level.variety) {
        symmetries = Symmetries(p.own, p.opp);
        n = DropImages(list, n, symmetries);
        if (Count(~(p.own | p.opp)) >= OpeningEmpties)
            margin = OpeningMargin;
    }
    // A fixed amount of work, never the clock: where little is cut (a
    // lopsided position, far outside the evaluation's range) deepening
    // stops once the move has cost MoveNodes positions.
    int ties = 1;
    CandidateList finished;
    for (int depth = 1; depth <= level.depth && (depth == 1 || m.nodes < MoveNodes); ++depth) {
        std::copy(list, list + n, finished);
        m.progress.depth.store(depth, std::memory_order_relaxed);
        m.stopAt = depth == 1 ? ~std::uint64_t{0} : level.nodeCap;
        int found = EqualBest(m, level.style, list, n, depth, margin);
        if (m.abandoned) {
            std::copy(finished, finished + n, list);
            break;
        }
        ties = found;
    }
    m.stopAt = ~std::uint64_t{0};
    m.abandoned = false;
    int chosen[MaxMoves];
    for (int i = 0; i < ties; ++i)
        chosen[i] = list[i].square;
    discs = DiscsOfScore(list[0].key);  // an estimate can overshoot what the board holds
    return WithImages(chosen, ties, symmetries, moves);
}

int ScoreByDepth(MiddleGame& m, const Position& p, int depth, Style style)
{
    switch (style) {
    case Style::Hand:
        return Deepen<Style::Hand>(m, p, depth);
    case Style::Patterns:
        return Deepen<Style::Patterns>(m, p, depth);
    case Style::Selective:
        return Deepen<Style::Selective>(m, p, depth);
    case Style::Labels:
        return Deepen<Style::Labels>(m, p, depth);
    }
    return 0;
}

} // namespace engine
