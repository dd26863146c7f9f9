#include "engine/evaluate.h"

#include <algorithm>
#include <array>

#include "engine/movegen.h"
#include "engine/score.h"

namespace engine {

namespace {

// For each corner: the diagonal neighbour and the two edge neighbours,
// which hand the corner over while it is empty.
struct CornerZone {
    int corner, x;
    Bitboard c;
};
constexpr CornerZone Zones[4] = {
    {0, 9, 0x0000000000000102ull},
    {7, 14, 0x0000000000008040ull},
    {56, 49, 0x0201000000000000ull},
    {63, 54, 0x4080000000000000ull},
};

// Bits of an edge read as a byte, from its first corner to its last.
constexpr Bitboard Column0 = 0x0101010101010101ull;
constexpr int ColumnByte(Bitboard b, int column)
{
    return static_cast<int>((((b >> column) & Column0) * 0x0102040810204080ull) >> 56);
}
constexpr Bitboard ColumnBits(int byte, int column)
{
    Bitboard b = 0;
    for (int i = 0; i < 8; ++i)
        if (byte >> i & 1)
            b |= Bitboard{1} << (8 * i + column);
    return b;
}
constexpr auto ColumnTable = [] {
    std::array<Bitboard, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = ColumnBits(i, 0);
    return t;
}();

// Discs of one edge that can never turn: runs from an owned corner, and
// the whole edge once it is full.
int EdgeStable(int own, int occupied)
{
    if (occupied == 0xFF)
        return own;
    int low = own & ~(own + 1);  // the run of own discs from the first corner
    int highGap = std::bit_width(static_cast<unsigned>(~own & 0xFF));
    int high = 0xFF & ~((1 << highGap) - 1);
    return low | high;
}

Bitboard StableEdges(Bitboard own, Bitboard opp)
{
    Bitboard all = own | opp;
    Bitboard stable = static_cast<Bitboard>(EdgeStable(static_cast<int>(own & 0xFF), static_cast<int>(all & 0xFF)));
    stable |= static_cast<Bitboard>(EdgeStable(static_cast<int>(own >> 56), static_cast<int>(all >> 56))) << 56;
    stable |= ColumnTable[static_cast<std::size_t>(EdgeStable(ColumnByte(own, 0), ColumnByte(all, 0)))];
    stable |= ColumnTable[static_cast<std::size_t>(EdgeStable(ColumnByte(own, 7), ColumnByte(all, 7)))] << 7;
    return stable;
}

// Weights at the start (60 empty squares) and at the end (none); in
// between they blend linearly.
struct Weights {
    int mobility, frontier, corner, x, c, stable, disc, parity;
};
constexpr Weights Opening = {90, 120, 900, -350, -120, 120, -40, 0};
constexpr Weights Ending = {50, 40, 500, -150, -60, 150, 40, 150};

} // namespace

int HandEvaluate(Bitboard own, Bitboard opp)
{
    Bitboard empty = ~(own | opp);
    int empties = Count(empty);
    auto blend = [empties](int open, int end) { return (open * empties + end * (60 - empties)) / 60; };

    int mobility = Count(Moves(own, opp)) - Count(Moves(opp, own));
    Bitboard nearEmpty = Around(empty);
    int frontier = Count(opp & nearEmpty) - Count(own & nearEmpty);
    int corners = Count(own & Corners) - Count(opp & Corners);
    int x = 0, c = 0;
    for (const CornerZone& z : Zones) {
        if (!(empty >> z.corner & 1))
            continue;
        x += static_cast<int>((own >> z.x & 1) - (opp >> z.x & 1));
        c += Count(own & z.c) - Count(opp & z.c);
    }
    int stable = Count(StableEdges(own, opp)) - Count(StableEdges(opp, own));
    int discs = Count(own) - Count(opp);
    int parity = (empties & 1) ? 1 : -1;

    int score = blend(Opening.mobility, Ending.mobility) * mobility + blend(Opening.frontier, Ending.frontier) * frontier +
                blend(Opening.corner, Ending.corner) * corners + blend(Opening.x, Ending.x) * x +
                blend(Opening.c, Ending.c) * c + blend(Opening.stable, Ending.stable) * stable +
                blend(Opening.disc, Ending.disc) * discs + blend(Opening.parity, Ending.parity) * parity;
    return std::clamp(score / 10, -EvalLimit, EvalLimit);
}

} // namespace engine
