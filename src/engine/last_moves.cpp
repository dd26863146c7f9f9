#include "engine/last_moves.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "engine/movegen.h"
#include "engine/score.h"

namespace engine {

namespace {

constexpr Bitboard Quadrants[4] = {0x000000000F0F0F0Full, 0x00000000F0F0F0F0ull, 0x0F0F0F0F00000000ull,
                                   0xF0F0F0F000000000ull};

int QuadrantOf(int square) { return (square >> 2 & 1) | (square >> 4 & 2); }

// Empty squares in quadrants with an odd number of them: playing there
// tends to leave the last move of the region to the player. Few squares
// are empty here, so each toggles its quadrant.
Bitboard OddRegions(Bitboard empty)
{
    Bitboard odd = 0;
    for (; empty; empty &= empty - 1) {
        int square = std::countr_zero(empty);
        odd ^= Quadrants[QuadrantOf(square)];
    }
    return odd;
}

// The empty squares, those in odd quadrants first.
template <int N>
void ParityOrder(Bitboard empty, Bitboard odd, int (&squares)[N])
{
    int n = 0;
    for (Bitboard group : {empty & odd, empty & ~odd})
        for (; group && n < N; group &= group - 1)
            squares[n++] = std::countr_zero(group);
}

// The discs a move on the last empty square turns: every other square is
// taken, so on each line all up to the mover's nearest disc, if any. Each
// line's mover bits are gathered into a byte and counted by table, a few
// reads instead of following eight rays. The places a short diagonal
// lacks read as no disc of the mover's, so a run into them turns nothing.
struct LastFlipTable {
    std::uint8_t count[8][256];  // by the square's place on the line and the mover's discs there
    constexpr LastFlipTable() : count{}
    {
        for (int at = 0; at < 8; ++at)
            for (int bits = 0; bits < 256; ++bits) {
                int n = 0;
                for (int step : {1, -1}) {
                    int i = at + step;
                    while (i >= 0 && i < 8 && !(bits >> i & 1))
                        i += step;
                    if (i >= 0 && i < 8)
                        n += (i - at) * step - 1;
                }
                count[at][bits] = static_cast<std::uint8_t>(n);
            }
    }
};
constexpr LastFlipTable LastFlipCounts;

int LastFlips(int square, Bitboard mover)
{
    constexpr Bitboard FirstColumn = 0x0101010101010101ull;
    const auto& t = LastFlipCounts.count;
    const Rays& r = AllRays.of[square];  // direction 1 the rising diagonal, 3 the falling one
    int row = square >> 3, column = square & 7;
    auto byColumn = [&](int d) { return static_cast<unsigned>(((mover & (r.up[d] | r.down[d])) * FirstColumn) >> 56); };
    unsigned across = static_cast<unsigned>(mover >> (8 * row)) & 0xFF;
    unsigned along = static_cast<unsigned>((((mover >> column) & FirstColumn) * 0x0102040810204080ull) >> 56);
    return t[column][across] + t[row][along] + t[column][byColumn(1)] + t[column][byColumn(3)];
}

int LastEmpty(Worker& w, Bitboard own, Bitboard opp, int square)
{
    ++w.nodes;
    int diff = 2 * Count(own) - 63;
    if (int n = LastFlips(square, own))
        return diff + 2 * n + 1;
    if (int n = LastFlips(square, opp))
        return diff - 2 * n - 1;
    return diff;
}

// The squares next to each square: a move needs an opponent's disc there.
struct NeighbourTable {
    Bitboard of[64];
    constexpr NeighbourTable() : of{}
    {
        for (int s = 0; s < 64; ++s)
            of[s] = Around(Bitboard{1} << s);
    }
};
constexpr NeighbourTable Neighbours;

// The discs a move on square turns, if it may be a move at all.
Bitboard FlipsNear(int square, Bitboard own, Bitboard opp)
{
    return Neighbours.of[square] & opp ? Flips(square, own, opp) : 0;
}

int SolveTwo(Worker& w, Bitboard own, Bitboard opp, int a, int b, int alpha, int beta, bool passed)
{
    ++w.nodes;
    int best = NoValue;
    if (Bitboard flips = FlipsNear(a, own, opp)) {
        best = -LastEmpty(w, opp ^ flips, own ^ flips ^ (Bitboard{1} << a), b);
        if (best >= beta)
            return best;
    }
    if (Bitboard flips = FlipsNear(b, own, opp))
        best = std::max(best, -LastEmpty(w, opp ^ flips, own ^ flips ^ (Bitboard{1} << b), a));
    if (best > NoValue)
        return best;
    if (passed)
        return 2 * Count(own) - 62;
    return -SolveTwo(w, opp, own, a, b, -beta, -alpha, true);
}

// Three empty squares, a lone one in its quadrant first.
int SolveThree(Worker& w, Bitboard own, Bitboard opp, const int (&squares)[3], int alpha, int beta, bool passed)
{
    ++w.nodes;
    int best = NoValue;
    for (int i = 0; i < 3; ++i) {
        int square = squares[i];
        Bitboard flips = FlipsNear(square, own, opp);
        if (!flips)
            continue;
        int a = squares[i == 0 ? 1 : 0], b = squares[i == 2 ? 1 : 2];
        int value = -SolveTwo(w, opp ^ flips, own ^ flips ^ (Bitboard{1} << square), a, b, -beta, -alpha, false);
        if (value > best) {
            best = value;
            if (value >= beta)
                return best;
            alpha = std::max(alpha, value);
        }
    }
    if (best > NoValue)
        return best;
    if (passed)
        return 2 * Count(own) - 61;
    return -SolveThree(w, opp, own, squares, -beta, -alpha, true);
}

// Four empty squares in parity order. Of the three a move leaves, a lone
// one in its quadrant goes first when the other two share one; otherwise
// all three have the same parity.
int SolveFour(Worker& w, Bitboard own, Bitboard opp, const int (&squares)[4], int alpha, int beta, bool passed)
{
    ++w.nodes;
    int best = NoValue;
    for (int i = 0; i < 4; ++i) {
        int square = squares[i];
        Bitboard flips = FlipsNear(square, own, opp);
        if (!flips)
            continue;
        Bitboard nextOwn = opp ^ flips, nextOpp = own ^ flips ^ (Bitboard{1} << square);
        int rest[3];
        for (int j = 0, n = 0; j < 4; ++j)
            if (j != i)
                rest[n++] = squares[j];
        int q0 = QuadrantOf(rest[0]), q1 = QuadrantOf(rest[1]), q2 = QuadrantOf(rest[2]);
        if (q0 == q2 && q1 != q0)
            std::swap(rest[0], rest[1]);
        else if (q0 == q1 && q2 != q0)
            std::swap(rest[0], rest[2]);
        int value = -SolveThree(w, nextOwn, nextOpp, rest, -beta, -alpha, false);
        if (value > best) {
            best = value;
            if (value >= beta)
                return best;
            alpha = std::max(alpha, value);
        }
    }
    if (best > NoValue)
        return best;
    if (passed)
        return 2 * Count(own) - 60;
    return -SolveFour(w, opp, own, squares, -beta, -alpha, true);
}

} // namespace

int SolveSmall(Worker& w, Bitboard own, Bitboard opp, int alpha, int beta, bool passed)
{
    Bitboard empty = ~(own | opp);
    int empties = Count(empty);
    if (empties <= 4) {
        if (empties == 4) {
            int squares[4];
            ParityOrder(empty, OddRegions(empty), squares);
            return SolveFour(w, own, opp, squares, alpha, beta, passed);
        }
        if (empties == 3) {
            int squares[3];
            ParityOrder(empty, OddRegions(empty), squares);
            return SolveThree(w, own, opp, squares, alpha, beta, passed);
        }
        if (empties == 2) {
            int a = std::countr_zero(empty);
            return SolveTwo(w, own, opp, a, std::countr_zero(empty & (empty - 1)), alpha, beta, passed);
        }
        return empties ? LastEmpty(w, own, opp, std::countr_zero(empty)) : DiscDifference(own, opp);
    }
    ++w.nodes;
    Bitboard odd = OddRegions(empty);
    int best = NoValue;
    constexpr Bitboard NearCorners = 0x42C300000000C342ull;
    for (Bitboard group : {empty & odd & ~NearCorners, empty & odd & NearCorners, empty & ~odd & ~NearCorners,
                           empty & ~odd & NearCorners}) {
        for (; group; group &= group - 1) {
            int square = std::countr_zero(group);
            Bitboard flips = FlipsNear(square, own, opp);
            if (!flips)
                continue;
            Bitboard nextOwn = opp ^ flips, nextOpp = own ^ flips ^ (Bitboard{1} << square);
            int value;
            if (empties == 5) {
                // The move toggles its own quadrant's parity only.
                int rest[4];
                ParityOrder(empty ^ (Bitboard{1} << square), odd ^ Quadrants[QuadrantOf(square)], rest);
                value = -SolveFour(w, nextOwn, nextOpp, rest, -beta, -alpha, false);
            } else {
                value = -SolveSmall(w, nextOwn, nextOpp, -beta, -alpha, false);
            }
            if (value > best) {
                best = value;
                if (value >= beta)
                    return best;
                alpha = std::max(alpha, value);
            }
        }
    }
    if (best == NoValue) {
        if (passed)
            return DiscDifference(own, opp);
        return -SolveSmall(w, opp, own, -beta, -alpha, true);
    }
    return best;
}

} // namespace engine
