// Move generation and flipping on bit-boards, inline for the searches.
//
// Each direction is a shift; moves along a row or a diagonal use the
// opponent's discs without the two side columns, so no run can wrap from
// one row into the next.
#pragma once

#include <bit>

#include "engine/engine.h"

namespace engine {

constexpr Bitboard InnerColumns = 0x7E7E7E7E7E7E7E7Eull;

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

template <int S>
inline Bitboard FlipsAlong(Bitboard square, Bitboard own, Bitboard opp)
{
    Bitboard run = 0;
    Bitboard x = Shift<S>(square);
    while (x & opp) {
        run |= x;
        x = Shift<S>(x);
    }
    return (x & own) ? run : 0;
}

// The discs a move on square would turn; none when it is not a move.
inline Bitboard Flips(int square, Bitboard own, Bitboard opp)
{
    Bitboard s = Bitboard{1} << square;
    Bitboard inner = opp & InnerColumns;
    return FlipsAlong<1>(s, own, inner) | FlipsAlong<-1>(s, own, inner) | FlipsAlong<8>(s, own, opp) |
           FlipsAlong<-8>(s, own, opp) | FlipsAlong<7>(s, own, inner) | FlipsAlong<-7>(s, own, inner) |
           FlipsAlong<9>(s, own, inner) | FlipsAlong<-9>(s, own, inner);
}

inline int Count(Bitboard b) { return std::popcount(b); }

} // namespace engine
