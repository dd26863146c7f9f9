// Discs that no sequence of moves can ever turn.
#pragma once

#include "engine/engine.h"

namespace engine {

// A subset of own's stable discs: edge runs from owned corners, discs
// whose four lines are full, and discs held on every line by stable
// neighbours or the border.
Bitboard StableDiscs(Bitboard own, Bitboard opp);

} // namespace engine
