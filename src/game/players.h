// One turn of a side that has a legal move: from the person at the
// keyboard or from the computer, which picks uniformly at random.
#pragma once

#include <cstdint>

#include "game/board.h"

// "M" for a person; anything else is the computer.
extern std::uint8_t PlayerKind[4];
// Whether the last turn was a person's request to abandon the game.
extern bool QuitRequested;

// A number 0..99 from the keyboard; 0 abandons the game.
CellIndex AskHumanMove();
// A random legal move of SideToMove, announced.
CellIndex ChooseComputerMove();
// Gets a legal move (or 0) and plays it.
void TakeTurn();
