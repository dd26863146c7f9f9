// The hand-made estimate of a position for the side to move, in
// hundredths of a disc or so, within EvalLimit: what the trainer's
// self-play player searches with.
#pragma once

#include "engine/engine.h"

namespace engine {

int HandEvaluate(Bitboard own, Bitboard opp);

} // namespace engine
