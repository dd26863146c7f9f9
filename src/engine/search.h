// The middle-game search for tools that label positions.
#pragma once

#include "engine/engine.h"

namespace engine {

// The value of a position by a full-width search of depth plies over the
// learned evaluation: hundredths of a disc, or a final score (see
// FinalScore) where the game ends within reach.
int SearchScore(Bitboard own, Bitboard opp, int depth);

} // namespace engine
