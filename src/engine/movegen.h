// Move generation and flipping on bit-boards, inline for the searches.
//
// Each direction is a shift; moves along a row or a diagonal use the
// opponent's discs without the two side columns, so no run can wrap from
// one row into the next.
#pragma once

#include <bit>
#include <initializer_list>

#include "engine/engine.h"

namespace engine {

constexpr Bitboard InnerColumns = 0x7E7E7E7E7E7E7E7Eull;
constexpr Bitboard NotFirstColumn = 0xFEFEFEFEFEFEFEFEull;
constexpr Bitboard NotLastColumn = 0x7F7F7F7F7F7F7F7Full;
constexpr Bitboard Corners = 0x8100000000000081ull;

template <int S>
constexpr Bitboard Shift(Bitboard b)
{
    if constexpr (S > 0)
        return b << S;
    else
        return b >> -S;
}

// Squares one step beyond a run of opponent discs that starts next to an
// own disc; runs are at most six long, grown by one, one, two and two.
template <int S>
inline Bitboard MovesAlong(Bitboard own, Bitboard opp)
{
    Bitboard run = Shift<S>(own) & opp;
    run |= Shift<S>(run) & opp;
    Bitboard pairs = opp & Shift<S>(opp);
    run |= Shift<2 * S>(run) & pairs;
    run |= Shift<2 * S>(run) & pairs;
    return Shift<S>(run);
}

inline Bitboard Moves(Bitboard own, Bitboard opp)
{
    Bitboard inner = opp & InnerColumns;
    Bitboard moves = MovesAlong<1>(own, inner) | MovesAlong<-1>(own, inner) | MovesAlong<8>(own, opp) |
                     MovesAlong<-8>(own, opp) | MovesAlong<7>(own, inner) | MovesAlong<-7>(own, inner) |
                     MovesAlong<9>(own, inner) | MovesAlong<-9>(own, inner);
    return moves & ~(own | opp);
}

// The squares from each square to the border in each direction, the
// square itself excluded: towards higher squares first, then lower.
struct Rays {
    Bitboard up[4], down[4];
};

constexpr Rays RaysFrom(int square)
{
    constexpr int Steps[4][2] = {{0, 1}, {1, -1}, {1, 0}, {1, 1}};  // row, column
    Rays r{};
    for (int d = 0; d < 4; ++d) {
        for (int sign : {1, -1}) {
            Bitboard ray = 0;
            int row = square / 8 + sign * Steps[d][0], column = square % 8 + sign * Steps[d][1];
            for (; row >= 0 && row < 8 && column >= 0 && column < 8; row += sign * Steps[d][0], column += sign * Steps[d][1])
                ray |= Bitboard{1} << (8 * row + column);
            (sign > 0 ? r.up[d] : r.down[d]) = ray;
        }
    }
    return r;
}

struct RayTable {
    Rays of[64];
    constexpr RayTable() : of{}
    {
        for (int s = 0; s < 64; ++s)
            of[s] = RaysFrom(s);
    }
};
inline constexpr RayTable AllRays;

// The discs a move on square would turn; none when it is not a move. On
// each ray the first square that is not the opponent's decides: if it
// is own, everything before it turns.
inline Bitboard Flips(int square, Bitboard own, Bitboard opp)
{
    const Rays& r = AllRays.of[square];
    Bitboard flips = 0;
    for (int d = 0; d < 4; ++d) {
        Bitboard stops = r.up[d] & ~opp;
        Bitboard first = stops & (0 - stops);
        flips |= (first - 1) & r.up[d] & (0 - Bitboard{(first & own) != 0});
        stops = r.down[d] & ~opp;
        Bitboard last = Bitboard{1} << (63 - std::countl_zero(stops | 1));
        flips |= r.down[d] & (0 - (last << 1)) & (0 - Bitboard{(last & own & stops) != 0});
    }
    return flips;
}

// Every square next to one of the given squares.
constexpr Bitboard Around(Bitboard b)
{
    Bitboard side = Shift<1>(b & NotLastColumn) | Shift<-1>(b & NotFirstColumn);
    Bitboard row = b | side;
    return (side | Shift<8>(row) | Shift<-8>(row)) & ~b;
}

// Bits set. Inline, since without a population-count instruction (the
// program targets any x86-64) std::popcount becomes a library call.
inline int Count(Bitboard b)
{
    b -= (b >> 1) & 0x5555555555555555ull;
    b = (b & 0x3333333333333333ull) + ((b >> 2) & 0x3333333333333333ull);
    b = (b + (b >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((b * 0x0101010101010101ull) >> 56);
}

// A legal move with the position it leads to, and a key to order by.
struct Candidate {
    Bitboard own, opp;  // after the move, opponent to move
    int square, key;
};

// Lowest key first, equal keys in their order; lists are short, and a
// library sort would allocate at every node.
inline void SortByKey(Candidate* list, int n)
{
    for (int i = 1; i < n; ++i) {
        Candidate c = list[i];
        int j = i;
        for (; j > 0 && list[j - 1].key > c.key; --j)
            list[j] = list[j - 1];
        list[j] = c;
    }
}

// Brings the lowest key of list[k, n) to k, the rest keeping their order:
// the k-th of a stable sort. Most loops stop after their first move, so
// sorting the whole list would be wasted.
inline void PickLowest(Candidate* list, int k, int n)
{
    int low = k;
    for (int i = k + 1; i < n; ++i)
        if (list[i].key < list[low].key)
            low = i;
    if (low == k)
        return;
    Candidate c = list[low];
    for (int j = low; j > k; --j)
        list[j] = list[j - 1];
    list[k] = c;
}

// A list of moves for any position: at most one a square.
inline constexpr int MaxMoves = 64;
using CandidateList = Candidate[MaxMoves];

// The positions after each of moves, in ascending squares, keys 0; their count.
inline int ListCandidates(Bitboard own, Bitboard opp, Bitboard moves, CandidateList& list)
{
    int n = 0;
    for (; moves; moves &= moves - 1) {
        int square = std::countr_zero(moves);
        Bitboard flips = Flips(square, own, opp);
        list[n++] = {opp ^ flips, own ^ flips ^ (Bitboard{1} << square), square, 0};
    }
    return n;
}

} // namespace engine
