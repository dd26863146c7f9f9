#include "engine/endgame.h"

#include <algorithm>
#include <span>

#include "engine/movegen.h"
#include "engine/stability.h"
#include "engine/table.h"

namespace engine {

std::uint64_t SearchNodes = 0;

namespace {

// Up to this many empty squares moves are tried in parity order without
// generating them; from TableEmpties on, positions go to the table.
constexpr int SmallEmpties = 5;
constexpr int TableEmpties = 7;
constexpr int CutByRepliesEmpties = 12;
// Up to here the number of replies alone orders the moves; the finer key
// costs more than it saves.
constexpr int RepliesOnlyEmpties = 7;
// Stable discs are counted only when they could cut the search.
constexpr int StabilityAlpha = 0;

constexpr Bitboard Quadrants[4] = {0x000000000F0F0F0Full, 0x00000000F0F0F0F0ull, 0x0F0F0F0F00000000ull,
                                   0xF0F0F0F000000000ull};

int DiscDifference(Bitboard own, Bitboard opp) { return Count(own) - Count(opp); }

// Empty squares in quadrants with an odd number of them: playing there
// tends to leave the last move of the region to the player.
Bitboard OddRegions(Bitboard empty)
{
    Bitboard odd = 0;
    for (Bitboard q : Quadrants)
        if (Count(empty & q) & 1)
            odd |= q;
    return odd;
}

int LastEmpty(Bitboard own, Bitboard opp, int square)
{
    ++SearchNodes;
    int diff = 2 * Count(own) - 63;
    if (int n = Count(Flips(square, own, opp)))
        return diff + 2 * n + 1;
    if (int n = Count(Flips(square, opp, own)))
        return diff - 2 * n - 1;
    return diff;
}

int SolveTwo(Bitboard own, Bitboard opp, int a, int b, int alpha, int beta, bool passed)
{
    ++SearchNodes;
    int best = -65;
    if (Bitboard flips = Flips(a, own, opp)) {
        best = -LastEmpty(opp ^ flips, own ^ flips ^ (Bitboard{1} << a), b);
        if (best >= beta)
            return best;
    }
    if (Bitboard flips = Flips(b, own, opp))
        best = std::max(best, -LastEmpty(opp ^ flips, own ^ flips ^ (Bitboard{1} << b), a));
    if (best > -65)
        return best;
    if (passed)
        return 2 * Count(own) - 62;
    return -SolveTwo(opp, own, a, b, -beta, -alpha, true);
}

// Three empty squares, a lone one in its quadrant first.
int SolveThree(Bitboard own, Bitboard opp, const int (&squares)[3], int alpha, int beta, bool passed)
{
    ++SearchNodes;
    int best = -65;
    for (int i = 0; i < 3; ++i) {
        int square = squares[i];
        Bitboard flips = Flips(square, own, opp);
        if (!flips)
            continue;
        int a = squares[i == 0 ? 1 : 0], b = squares[i == 2 ? 1 : 2];
        int value = -SolveTwo(opp ^ flips, own ^ flips ^ (Bitboard{1} << square), a, b, -beta, -alpha, false);
        if (value > best) {
            best = value;
            if (value >= beta)
                return best;
            alpha = std::max(alpha, value);
        }
    }
    if (best > -65)
        return best;
    if (passed)
        return 2 * Count(own) - 61;
    return -SolveThree(opp, own, squares, -beta, -alpha, true);
}

int SolveSmall(Bitboard own, Bitboard opp, int alpha, int beta, bool passed)
{
    Bitboard empty = ~(own | opp);
    Bitboard odd = OddRegions(empty);
    int empties = Count(empty);
    if (empties <= 3) {
        if (empties == 3) {
            int squares[3], n = 0;
            for (Bitboard group : {empty & odd, empty & ~odd})
                for (; group; group &= group - 1)
                    squares[n++] = std::countr_zero(group);
            return SolveThree(own, opp, squares, alpha, beta, passed);
        }
        if (empties == 2) {
            int a = std::countr_zero(empty);
            return SolveTwo(own, opp, a, std::countr_zero(empty & (empty - 1)), alpha, beta, passed);
        }
        return empties ? LastEmpty(own, opp, std::countr_zero(empty)) : DiscDifference(own, opp);
    }
    ++SearchNodes;
    int best = -65;
    constexpr Bitboard NearCorners = 0x42C300000000C342ull;
    for (Bitboard group : {empty & odd & ~NearCorners, empty & odd & NearCorners, empty & ~odd & ~NearCorners,
                           empty & ~odd & NearCorners}) {
        for (; group; group &= group - 1) {
            int square = std::countr_zero(group);
            Bitboard flips = Flips(square, own, opp);
            if (!flips)
                continue;
            int value = -SolveSmall(opp ^ flips, own ^ flips ^ (Bitboard{1} << square), -beta, -alpha, false);
            if (value > best) {
                best = value;
                if (value >= beta)
                    return best;
                alpha = std::max(alpha, value);
            }
        }
    }
    if (best == -65) {
        if (passed)
            return DiscDifference(own, opp);
        return -SolveSmall(opp, own, -beta, -alpha, true);
    }
    return best;
}

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

int SolveDeep(Bitboard own, Bitboard opp, int alpha, int beta, int* bestSquare)
{
    int empties = Count(~(own | opp));
    if (empties <= SmallEmpties && !bestSquare)
        return SolveSmall(own, opp, alpha, beta, false);
    ++SearchNodes;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (bestSquare)
            *bestSquare = -1;
        if (!Moves(opp, own))
            return DiscDifference(own, opp);
        return -SolveDeep(opp, own, -beta, -alpha, nullptr);
    }

    if (!bestSquare && alpha >= StabilityAlpha) {
        int ceiling = 64 - 2 * Count(StableDiscs(opp, own));
        if (ceiling <= alpha)
            return ceiling;
    }

    int tableMove = -1;
    bool useTable = empties >= TableEmpties;
    if (useTable) {
        if (const TableEntry* e = Probe(own, opp); e && e->exact) {
            if (int value; !bestSquare && BoundsSettle(*e, alpha, beta, value))
                return value;
            tableMove = e->move;
        }
    }

    Candidate list[32];
    int n = ListCandidates(own, opp, moves, list);
    for (Candidate& c : std::span(list, n)) {
        c.key = c.square == tableMove ? -100000 : empties <= RepliesOnlyEmpties ? Count(Moves(c.own, c.opp)) : OrderKey(c);
        // A reply already known to fail low cuts here at once.
        if (empties >= CutByRepliesEmpties && !bestSquare) {
            if (const TableEntry* e = Probe(c.own, c.opp); e && e->exact && -e->upper >= beta)
                return -e->upper;
        }
    }
    std::stable_sort(list, list + n, [](const Candidate& a, const Candidate& b) { return a.key < b.key; });

    int best = -65, bestMove = -1, oldAlpha = alpha;
    for (int i = 0; i < n; ++i) {
        const Candidate& c = list[i];
        int value;
        if (i == 0) {
            value = -SolveDeep(c.own, c.opp, -beta, -alpha, nullptr);
        } else {
            value = -SolveDeep(c.own, c.opp, -alpha - 1, -alpha, nullptr);
            if (value > alpha && value < beta)
                value = -SolveDeep(c.own, c.opp, -beta, -alpha, nullptr);
        }
        if (value > best) {
            best = value;
            bestMove = c.square;
            if (value >= beta)
                break;
            alpha = std::max(alpha, value);
        }
    }
    if (useTable)
        Store(own, opp, empties, true, oldAlpha, beta, best, bestMove);
    if (bestSquare)
        *bestSquare = bestMove;
    return best;
}

} // namespace

int SolveWindow(Bitboard own, Bitboard opp, int alpha, int beta) { return SolveDeep(own, opp, alpha, beta, nullptr); }

int SolveBetween(Bitboard own, Bitboard opp, int lower, int upper)
{
    int guess = std::clamp(0, lower, upper);
    while (lower < upper) {
        int beta = guess == lower ? guess + 1 : guess;
        guess = SolveWindow(own, opp, beta - 1, beta);
        (guess < beta ? upper : lower) = guess;
    }
    return lower;
}

} // namespace engine

int Solve(const Position& p, int* bestSquare)
{
    engine::NewSearch();
    int square = -1;
    int value = engine::SolveBetween(p.own, p.opp, -64, 64);
    engine::SolveDeep(p.own, p.opp, value - 1, value + 1, &square);
    if (bestSquare)
        *bestSquare = square;
    return value;
}
