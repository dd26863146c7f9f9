// Every legal move of the side to move at once, as the bits of a word.
//
// The 64 playing cells become the bits row by row (cell 11 is bit 0, cell
// 88 bit 63), so ascending bits are ascending cells; each direction is a
// shift, and runs of opponent discs are followed for all cells together,
// without the unpredictable branches of scanning cell by cell. The result
// is exactly the set of cells IsLegalMove accepts.
#pragma once

#include <cstdint>

#include "game/board.h"

std::uint64_t LegalMoveBits();
// The cells of SideToMove and of Opponent; the rest are empty.
void SplitCells(std::uint64_t& own, std::uint64_t& opponent);

inline CellIndex CellOfBit(int bit)
{
    return static_cast<CellIndex>(10 * (bit / 8 + 1) + bit % 8 + 1);
}
