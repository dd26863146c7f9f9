// The middle-game search for tools that label positions.
#pragma once

#include "engine/engine.h"

namespace engine {

// The value of a position by a full-width search of depth plies over the
// learned evaluation: hundredths of a disc, a game that ends within reach
// as its margin in the same unit, as the levels count it.
int SearchScore(Bitboard own, Bitboard opp, int depth, bool selective = false);
// The same search as the trainer labels positions with: a game that ends
// within reach is a final score (see FinalScore), beyond any estimate.
// The shipped weights were fitted to such labels.
int LabelScore(Bitboard own, Bitboard opp, int depth);

// For measuring: makes level search depth plies over the hand-made
// evaluation (style 0), the learned one (1) or the learned one with
// selective cuts (2), and play exactly from exactFrom empty squares.
void SetLevel(int level, int depth, int exactFrom, int style);

} // namespace engine
