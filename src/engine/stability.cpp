#include "engine/stability.h"

#include <array>

#include "engine/movegen.h"

namespace engine {

namespace {

constexpr Bitboard Column0 = 0x0101010101010101ull;
constexpr Bitboard Row0 = 0xFFull;
constexpr Bitboard Border = 0xFF818181818181FFull;

// The 15 diagonals of each slant, as masks.
constexpr auto Diagonals(int step)
{
    std::array<Bitboard, 15> masks{};
    for (int s = 0; s < 64; ++s) {
        int row = s / 8, column = s % 8;
        int index = step == 9 ? column - row + 7 : column + row;
        masks[static_cast<std::size_t>(index)] |= Bitboard{1} << s;
    }
    return masks;
}
constexpr auto Down = Diagonals(9);
constexpr auto Up = Diagonals(7);

Bitboard FullRows(Bitboard all)
{
    Bitboard full = 0;
    for (int row = 0; row < 8; ++row)
        if ((all >> (8 * row) & Row0) == Row0)
            full |= Row0 << (8 * row);
    return full;
}

Bitboard FullColumns(Bitboard all)
{
    Bitboard c = all;
    c &= c >> 32;
    c &= c >> 16;
    c &= c >> 8;
    return (c & Row0) * Column0;
}

Bitboard FullDiagonals(Bitboard all, const std::array<Bitboard, 15>& masks)
{
    Bitboard full = 0;
    for (Bitboard m : masks)
        if ((all & m) == m)
            full |= m;
    return full;
}

} // namespace

Bitboard StableDiscs(Bitboard own, Bitboard opp)
{
    Bitboard all = own | opp;
    // Every disc is looked at, corner or not: near the end, discs whose
    // four lines are full are common, and in a window that asks whether a
    // side keeps any disc at all, one of them settles it.
    Bitboard stable = own & Corners;
    Bitboard rows = FullRows(all) | 0x8181818181818181ull;
    Bitboard columns = FullColumns(all) | 0xFF000000000000FFull;
    Bitboard down = FullDiagonals(all, Down) | Border;
    Bitboard up = FullDiagonals(all, Up) | Border;
    stable |= own & rows & columns & down & up;
    for (;;) {
        Bitboard across = rows | Shift<1>(stable & NotLastColumn) | Shift<-1>(stable & NotFirstColumn);
        Bitboard along = columns | Shift<8>(stable) | Shift<-8>(stable);
        Bitboard falling = down | Shift<9>(stable & NotLastColumn) | Shift<-9>(stable & NotFirstColumn);
        Bitboard rising = up | Shift<7>(stable & NotFirstColumn) | Shift<-7>(stable & NotLastColumn);
        Bitboard next = stable | (own & across & along & falling & rising);
        if (next == stable)
            return stable;
        stable = next;
    }
}

} // namespace engine
