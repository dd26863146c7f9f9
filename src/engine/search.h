// The middle-game search for tools that label positions.
#pragma once

#include "engine/engine.h"

namespace engine {

// The value of a position by a full-width search of depth plies over the
// learned evaluation: hundredths of a disc, or a final score (see
// FinalScore) where the game ends within reach.
int SearchScore(Bitboard own, Bitboard opp, int depth, bool selective = false);

// For measuring: makes level search depth plies over the hand-made
// evaluation (style 0), the learned one (1) or the learned one with
// selective cuts (2), and play exactly from exactFrom empty squares.
void SetLevel(int level, int depth, int exactFrom, int style);

} // namespace engine
