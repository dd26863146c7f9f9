// One turn of a side that has a legal move: from the person at the
// keyboard or from the computer, which at level 0 picks uniformly at
// random and above it searches.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "game/board.h"

// "M" for a person; anything else is the computer.
extern std::uint8_t PlayerKind[4];
// The strength of every computer player: 0 (random) .. MaxLevel.
extern int ComputerLevel;
// The table and threads of the computer player's search above level 0.
extern engine::Options ComputerSearch;
// Whether the last turn was a person's request to abandon the game.
extern bool QuitRequested;

// A number 0..99 from the keyboard; 0 abandons the game.
CellIndex AskHumanMove();
// Readies the search, once, when a level above 0 was asked for; raises
// OutOfMemory when its memory cannot be had.
void PrepareComputerPlayer();
// A legal move of SideToMove, announced: at level 0 a random one, above
// it a random one among those the search rates best.
CellIndex ChooseComputerMove();
// Gets a legal move (or 0) and plays it.
void TakeTurn();
