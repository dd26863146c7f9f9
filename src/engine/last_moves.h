// The last few empty squares: moves tried in an order of their own
// without generating them, no table.
#pragma once

#include "engine/movegen.h"
#include "engine/solver.h"

namespace engine {

// Up to this many empty squares the last-moves search takes over.
inline constexpr int SmallEmpties = 5;

// The exact value if it lies strictly inside (alpha, beta), otherwise a
// bound beyond the window; passed when the opponent has just passed.
int SolveSmall(Worker& w, Bitboard own, Bitboard opp, int alpha, int beta, bool passed);

inline int DiscDifference(Bitboard own, Bitboard opp) { return Count(own) - Count(opp); }

} // namespace engine
