#include "game/board.h"

#include <bit>

#include "game/legal_moves.h"

std::uint8_t Board[BoardSize];
Colour SideToMove;
Colour Opponent;
std::int32_t DiscCount[4];
CellIndex MoveList[MoveListCapacity + 1];
std::int32_t MoveListCount;

void InitBoard()
{
    for (std::uint8_t& cell : Board)
        cell = Empty;
    for (int i = 0; i <= 9; ++i)
        Board[i] = Board[90 + i] = Board[10 * i] = Board[10 * i + 9] = Border;
    Board[44] = Black;
    Board[45] = White;
    Board[54] = White;
    Board[55] = Black;
    DiscCount[Black] = 2;
    DiscCount[White] = 2;
    SideToMove = Black;
    Opponent = White;
}

bool FlanksInDirection(CellIndex cell, std::uint8_t step)
{
    CellIndex c = static_cast<CellIndex>(cell + step);
    if (Board[c] != Opponent)
        return false;
    while (Board[c] == Opponent)
        c = static_cast<CellIndex>(c + step);
    return Board[c] == SideToMove;
}

bool IsLegalMove(CellIndex cell)
{
    if (Board[cell] != Empty)
        return false;
    for (std::uint8_t step : Directions)
        if (FlanksInDirection(cell, step))
            return true;
    return false;
}

void FlipDirection(CellIndex cell, std::uint8_t step)
{
    if (!FlanksInDirection(cell, step))
        return;
    for (CellIndex c = static_cast<CellIndex>(cell + step); Board[c] != SideToMove;
         c = static_cast<CellIndex>(c + step)) {
        Board[c] = SideToMove;
        ++DiscCount[SideToMove];
        --DiscCount[Opponent];
    }
}

void PlaceDisc(CellIndex cell)
{
    Board[cell] = SideToMove;
    for (std::uint8_t step : Directions)
        FlipDirection(cell, step);
    ++DiscCount[SideToMove];
}

bool HasNoLegalMove()
{
    return LegalMoveBits() == 0;
}

void CollectLegalMoves()
{
    MoveListCount = 0;
    for (std::uint64_t bits = LegalMoveBits(); bits != 0; bits &= bits - 1)
        MoveList[++MoveListCount] = CellOfBit(std::countr_zero(bits));
}

void SwapColour(Colour& colour)
{
    if (colour == Black)
        colour = White;
    else if (colour == White)
        colour = Black;
}
