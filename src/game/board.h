// The field, whose turn it is, the disc counts, and the move rules.
//
// Cells are addressed 10 × row + column, rows and columns 0..9; the outer
// ring is Border, a sentinel that ends every scan along a line.
#pragma once

#include <cstdint>

using CellIndex = std::uint8_t;
using Colour = std::uint8_t;

enum CellCode : std::uint8_t { Border = 0, Empty = 1, Black = 2, White = 3 };

inline constexpr int BoardSize = 100;
inline constexpr CellIndex FirstPlayingCell = 11;
inline constexpr CellIndex LastPlayingCell = 88;
inline constexpr int MoveListCapacity = 64;

// Up-left, up, up-right, left, right, down-left, down, down-right; the
// negative steps wrap as unsigned bytes, which CellIndex arithmetic undoes.
inline constexpr std::uint8_t Directions[8] = {
    static_cast<std::uint8_t>(-11), static_cast<std::uint8_t>(-10), static_cast<std::uint8_t>(-9),
    static_cast<std::uint8_t>(-1), 1, 9, 10, 11};

extern std::uint8_t Board[BoardSize];
extern Colour SideToMove;
extern Colour Opponent;
extern std::int32_t DiscCount[4];  // indexed by Black and White only

// Legal moves, addressed from 1 (entry 0 is unused).
extern CellIndex MoveList[MoveListCapacity + 1];
extern std::int32_t MoveListCount;

void InitBoard();
bool FlanksInDirection(CellIndex cell, std::uint8_t step);
bool IsLegalMove(CellIndex cell);
void FlipDirection(CellIndex cell, std::uint8_t step);
// Plays a legal cell for SideToMove; the caller has checked it.
void PlaceDisc(CellIndex cell);
bool HasNoLegalMove();
void CollectLegalMoves();
void SwapColour(Colour& colour);
