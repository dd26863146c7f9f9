#include "game/legal_moves.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::uint64_t LowBitOfEachByte = 0x0101010101010101ull;

// The eight cells of a row, one byte each, cell 1 in the lowest byte: on
// a little-endian machine simply the row's bytes as they lie.
std::uint64_t RowBytes(int row)
{
    const std::uint8_t* cells = &Board[10 * row + 1];
    std::uint64_t bytes = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&bytes, cells, sizeof bytes);
    } else {
        for (int column = 0; column < 8; ++column)
            bytes |= std::uint64_t{cells[column]} << (8 * column);
    }
    return bytes;
}

// Bit j set where cell j + 1 of the row holds code. Cell codes are 0..3,
// so a byte matches when neither of its two low bits differs; the multiply
// gathers the low bit of every byte into the top byte, in order.
std::uint64_t RowCellsHolding(std::uint64_t bytes, std::uint8_t code)
{
    std::uint64_t differ = bytes ^ (LowBitOfEachByte * code);
    std::uint64_t match = ~(differ | differ >> 1) & LowBitOfEachByte;
    return (match * 0x0102040810204080ull) >> 56;
}

constexpr std::uint64_t NotColumn1 = 0xFEFEFEFEFEFEFEFEull;
constexpr std::uint64_t NotColumn8 = 0x7F7F7F7F7F7F7F7Full;

// One step of every bit along a direction: Shift bits towards higher
// cells (negative: lower), keeping only what did not cross the field's side.
template <int Shift, std::uint64_t Keep>
std::uint64_t Step(std::uint64_t bits)
{
    return (Shift > 0 ? bits << Shift : bits >> -Shift) & Keep;
}

// Empty cells that bracket a run of opponent discs against an own disc,
// looking back along one direction. A run is at most six long.
template <int Shift, std::uint64_t Keep>
std::uint64_t MovesAlong(std::uint64_t own, std::uint64_t opponent, std::uint64_t empty)
{
    std::uint64_t run = Step<Shift, Keep>(own) & opponent;
    for (int i = 0; i < 5; ++i)
        run |= Step<Shift, Keep>(run) & opponent;
    return Step<Shift, Keep>(run) & empty;
}

} // namespace

void SplitCells(std::uint64_t& own, std::uint64_t& opponent)
{
    own = opponent = 0;
    for (int row = 1; row <= 8; ++row) {
        std::uint64_t bytes = RowBytes(row);
        own |= RowCellsHolding(bytes, SideToMove) << (8 * (row - 1));
        opponent |= RowCellsHolding(bytes, Opponent) << (8 * (row - 1));
    }
}

std::uint64_t LegalMoveBits()
{
    std::uint64_t own, opponent;
    SplitCells(own, opponent);
    std::uint64_t empty = ~(own | opponent);
    return MovesAlong<-9, NotColumn8>(own, opponent, empty) | MovesAlong<-8, ~0ull>(own, opponent, empty) |
           MovesAlong<-7, NotColumn1>(own, opponent, empty) | MovesAlong<-1, NotColumn8>(own, opponent, empty) |
           MovesAlong<1, NotColumn1>(own, opponent, empty) | MovesAlong<7, NotColumn8>(own, opponent, empty) |
           MovesAlong<8, ~0ull>(own, opponent, empty) | MovesAlong<9, NotColumn1>(own, opponent, empty);
}
