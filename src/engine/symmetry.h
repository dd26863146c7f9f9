// The eight symmetries of the board: turns and mirror images.
#pragma once

#include <bit>

#include "engine/engine.h"

namespace engine {

constexpr Bitboard Transpose(Bitboard x)
{
    Bitboard t = 0x0F0F0F0F00000000ull & (x ^ (x << 28));
    x ^= t ^ (t >> 28);
    t = 0x3333000033330000ull & (x ^ (x << 14));
    x ^= t ^ (t >> 14);
    t = 0x5500550055005500ull & (x ^ (x << 7));
    return x ^ t ^ (t >> 7);
}

constexpr Bitboard Mirror(Bitboard x)
{
    x = ((x >> 1) & 0x5555555555555555ull) | ((x & 0x5555555555555555ull) << 1);
    x = ((x >> 2) & 0x3333333333333333ull) | ((x & 0x3333333333333333ull) << 2);
    return ((x >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((x & 0x0F0F0F0F0F0F0F0Full) << 4);
}

constexpr Bitboard FlipRows(Bitboard x)
{
    x = ((x >> 8) & 0x00FF00FF00FF00FFull) | ((x & 0x00FF00FF00FF00FFull) << 8);
    x = ((x >> 16) & 0x0000FFFF0000FFFFull) | ((x & 0x0000FFFF0000FFFFull) << 16);
    return (x >> 32) | (x << 32);
}

static_assert(Transpose(Bitboard{1} << 1) == Bitboard{1} << 8);
static_assert(Mirror(1) == Bitboard{1} << 7);
static_assert(FlipRows(1) == Bitboard{1} << 56);

// Symmetry k (0..7) of b: bit 0 mirrors the columns, bit 1 the rows, bit
// 2 transposes first. 0 is the identity.
constexpr Bitboard Image(Bitboard b, int k)
{
    if (k & 4)
        b = Transpose(b);
    if (k & 2)
        b = FlipRows(b);
    if (k & 1)
        b = Mirror(b);
    return b;
}

// The symmetries that map the position onto itself, one bit each.
constexpr unsigned Symmetries(Bitboard own, Bitboard opp)
{
    unsigned found = 1;
    for (int k = 1; k < 8; ++k)
        if (Image(own, k) == own && Image(opp, k) == opp)
            found |= 1u << k;
    return found;
}

// The moves and all their images under the symmetries, ascending; their count.
inline int WithImages(const int* squares, int n, unsigned symmetries, int* out)
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

} // namespace engine
