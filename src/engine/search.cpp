// Middle-game search and the choice of moves by level.
#include <algorithm>
#include <bit>
#include <span>

#include "engine/search.h"

#include "engine/endgame.h"
#include "engine/evaluate.h"
#include "engine/movegen.h"
#include "engine/patterns.h"
#include "engine/symmetry.h"
#include "engine/table.h"

namespace engine {

namespace {

// How a level searches: over the hand-made evaluation or the learned
// one, and with the learned one whether it cuts selectively. Labels is
// the learned one with finished games scored as the hand-made search
// scores them; only the trainer's labels use it (see LabelScore).
enum Style { Hand, Patterns, Selective, Labels };

// Plies of search, the number of empty squares from which the level
// plays exactly, and how it searches.
struct Level {
    int depth, exactFrom;
    Style style;
};
Level Levels[MaxLevel + 1] = {{0, 0, Hand},       {1, 0, Patterns},   {2, 8, Patterns},    {4, 10, Patterns},
                              {6, 12, Selective}, {8, 14, Selective}, {11, 16, Selective}, {16, 20, Selective}};

constexpr int Infinity = 32000;
// A move deepens no further once it has cost MoveNodes positions, and
// gives up the ply it is on, keeping the last finished one, at
// MoveNodeCap: one ply can cost many times the ones before it.
constexpr std::uint64_t MoveNodes = 1'000'000, MoveNodeCap = 2'500'000;
constexpr std::uint64_t NoLimit = ~std::uint64_t{0};
// In a game's first four moves, those within a margin of the best
// (hundredths of a disc) count as equally good: the estimates there are
// rough, and a margin that wide makes every level's games vary.
constexpr int OpeningEmpties = 57, OpeningMargin = 500;
std::uint64_t StopAt = NoLimit;
bool Abandoned = false;

// A finished game: over the learned evaluation as its margin in the same
// hundredths of a disc, so that selective cuts work near the end as well.
template <Style S>
int Final(int discDifference)
{
    if constexpr (S == Hand || S == Labels)
        return FinalScore(discDifference);
    else
        return 100 * discDifference;
}

template <Style S>
int Eval(Bitboard own, Bitboard opp)
{
    if constexpr (S == Hand)
        return Evaluate(own, opp);
    else
        return PatternEvaluate(own, opp);
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

// The value at the horizon: a finished game counts as such. The hand-made
// search and the trainer's labels keep the estimate there, as the shipped
// weights were fitted with it.
template <Style S>
int Horizon(Bitboard own, Bitboard opp)
{
    if constexpr (S == Patterns || S == Selective) {
        Bitboard ownMoves = Moves(own, opp), oppMoves = Moves(opp, own);
        if (!(ownMoves | oppMoves))
            return Final<S>(Count(own) - Count(opp));
        return PatternEvaluate(own, opp, ownMoves, oppMoves);
    } else {
        return Eval<S>(own, opp);
    }
}

template <Style S>
int Search(Bitboard own, Bitboard opp, int depth, int alpha, int beta, bool passed)
{
    if (depth <= 0)
        return Horizon<S>(own, opp);
    if (++SearchNodes >= StopAt)
        Abandoned = true;
    if ((SearchNodes & 0xFFFF) == 0)
        ReportNodes(0x10000);
    if (Abandoned)
        return 0;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (passed)
            return Final<S>(Count(own) - Count(opp));
        return -Search<S>(opp, own, depth, -beta, -alpha, true);
    }

    int tableMove = -1;
    if (depth >= 2) {
        if (TableEntry e; Lookup(own, opp, e) && !e.exact) {
            if (int value; e.depth >= depth && BoundsSettle(e, alpha, beta, value))
                return value;
            tableMove = e.move;
        }
    }

    if constexpr (S == Selective) {
        if (depth >= CutDepth && alpha > -EvalLimit && beta < EvalLimit) {
            int margin = CutMargin(Count(~(own | opp)), depth), shallow = ShallowDepth(depth);
            if (int bound = beta + margin; bound < EvalLimit && Search<S>(own, opp, shallow, bound - 1, bound, passed) >= bound)
                return beta;
            if (int bound = alpha - margin; bound > -EvalLimit && Search<S>(own, opp, shallow, bound, bound + 1, passed) <= bound)
                return alpha;
            if (Abandoned)
                return 0;
        }
    }

    CandidateList list;
    int n = ListCandidates(own, opp, moves, list);
    for (Candidate& c : std::span(list, n)) {
        if (c.square == tableMove)
            c.key = -2 * Infinity;
        else if (depth >= 2)
            c.key = Eval<S>(c.own, c.opp);  // shallow searches here cost more than they save
    }
    if (depth >= 2)
        SortByKey(list, n);

    int best = -Infinity, bestMove = -1, oldAlpha = alpha;
    for (int i = 0; i < n; ++i) {
        const Candidate& c = list[i];
        int value;
        if (i == 0) {
            value = -Search<S>(c.own, c.opp, depth - 1, -beta, -alpha, false);
        } else {
            value = -Search<S>(c.own, c.opp, depth - 1, -alpha - 1, -alpha, false);
            if (value > alpha && value < beta)
                value = -Search<S>(c.own, c.opp, depth - 1, -beta, -alpha, false);
        }
        if (Abandoned)
            return 0;
        if (value > best) {
            best = value;
            bestMove = c.square;
            if (value >= beta)
                break;
            alpha = std::max(alpha, value);
        }
    }
    if (depth >= 2)
        Record(own, opp, depth, false, oldAlpha, beta, best, bestMove);
    return best;
}

// The value of a move at the root, for the player making it.
template <Style S>
int RootValue(const Candidate& c, int depth, int alpha, int beta)
{
    return -Search<S>(c.own, c.opp, depth - 1, -beta, -alpha, false);
}

// Values every root move just enough to know which lie within margin of
// the best: the first in full, the others in a window from just below the
// margin to just above the best. Puts those first, the best leading, and
// the rest in order of their (bounded) values for the next pass; returns
// their count, or 0 when the search was abandoned (the list is then in no
// order).
template <Style S>
int EqualBest(Candidate* list, int n, int depth, int margin)
{
    int best = RootValue<S>(list[0], depth, -Infinity, Infinity);
    list[0].key = best;
    for (int i = 1; i < n && !Abandoned; ++i) {
        Candidate& c = list[i];
        c.key = RootValue<S>(c, depth, best - margin - 1, best + 1);
        if (c.key > best && !Abandoned) {
            c.key = RootValue<S>(c, depth, best, Infinity);
            best = std::max(best, c.key);
        }
    }
    if (Abandoned)
        return 0;
    std::stable_sort(list, list + n, [](const Candidate& a, const Candidate& b) { return a.key > b.key; });
    int ties = 1;
    while (ties < n && list[ties].key >= best - margin)
        ++ties;
    return ties;
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

// The moves and all their images under the symmetries, ascending; their count.
int WithImages(const int* squares, int n, unsigned symmetries, int* out)
{
    Bitboard all = 0;
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < 8; ++k)
            if (symmetries >> k & 1)
                all |= Image(Bitboard{1} << squares[i], k);
    int count = 0;
    for (; all; all &= all - 1)
        out[count++] = std::countr_zero(all);
    return count;
}

} // namespace

void SetLevel(int level, int depth, int exactFrom, int style)
{
    Levels[level] = {depth, exactFrom, static_cast<Style>(style)};
}

namespace {

template <Style S>
int Deepen(Bitboard own, Bitboard opp, int depth)
{
    UseBuiltinWeights();
    NewSearch();
    int value = 0;
    for (int d = 1; d <= depth; ++d)
        value = Search<S>(own, opp, d, -Infinity, Infinity, false);
    return value;
}

} // namespace

int SearchScore(Bitboard own, Bitboard opp, int depth, bool selective)
{
    return selective ? Deepen<Selective>(own, opp, depth) : Deepen<Patterns>(own, opp, depth);
}

int LabelScore(Bitboard own, Bitboard opp, int depth) { return Deepen<Labels>(own, opp, depth); }

} // namespace engine

using namespace engine;

int AnalyseMoves(const Position& p, int level, int moves[64], int& discs)
{
    const Level& l = Levels[std::clamp(level, 1, MaxLevel)];
    StartStatus();
    Bitboard legal = Moves(p.own, p.opp);
    CandidateList list;
    int n = ListCandidates(p.own, p.opp, legal, list);
    if (n == 0)
        return 0;

    if (Count(~(p.own | p.opp)) <= l.exactFrom) {
        // The position's value with the first move reaching it, then which
        // later moves reach it too: one narrow window each. Exact bounds
        // hold however they were found and the answer does not depend on
        // the order of search, so the table keeps what earlier moves of
        // the game solved: no new search generation here.
        int first;
        int value = SolveFirst(p.own, p.opp, list, n, first);
        int count = 0;
        moves[count++] = list[first].square;
        for (int i = first + 1; i < n; ++i)
            if (SolveWindow(list[i].own, list[i].opp, -value, -value + 1) <= -value)
                moves[count++] = list[i].square;
        discs = value;
        return count;
    }

    NewMiddleGameSearch();
    if (l.style != Hand)
        UseBuiltinWeights();
    // The game's levels search one move of each set that the position's
    // symmetries make equal, and in the opening take any move within a
    // margin of the best, so that games vary with the seed. The trainer's
    // hand-made player keeps its own choices, as its games were played.
    unsigned symmetries = 1;
    int margin = 0;
    if (l.style != Hand) {
        symmetries = Symmetries(p.own, p.opp);
        n = DropImages(list, n, symmetries);
        if (Count(~(p.own | p.opp)) >= OpeningEmpties)
            margin = OpeningMargin;
    }
    // A fixed amount of work, never the clock: where little is cut (a
    // lopsided position, far outside the evaluation's range) deepening
    // stops once the move has cost MoveNodes positions.
    std::uint64_t start = SearchNodes;
    int ties = 1;
    CandidateList finished;
    for (int depth = 1; depth <= l.depth && (depth == 1 || SearchNodes - start < MoveNodes); ++depth) {
        std::copy(list, list + n, finished);
        ReportDepth(depth);
        StopAt = depth == 1 ? NoLimit : start + MoveNodeCap;
        int found = l.style == Hand       ? EqualBest<Hand>(list, n, depth, margin)
                    : l.style == Patterns ? EqualBest<Patterns>(list, n, depth, margin)
                                          : EqualBest<Selective>(list, n, depth, margin);
        if (Abandoned) {
            std::copy(finished, finished + n, list);
            break;
        }
        ties = found;
    }
    StopAt = NoLimit;
    Abandoned = false;
    int chosen[MaxMoves];
    for (int i = 0; i < ties; ++i)
        chosen[i] = list[i].square;
    discs = std::clamp(DiscsOfScore(list[0].key), -64, 64);  // an estimate can overshoot what the board holds
    return WithImages(chosen, ties, symmetries, moves);
}

int BestMoves(const Position& p, int level, int moves[64])
{
    int discs;
    return AnalyseMoves(p, level, moves, discs);
}
