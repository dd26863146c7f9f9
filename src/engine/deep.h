// The exact solver's search from 6 empty squares up: the table, the
// stability ceiling, the move order and, on several threads, nodes
// shared among them.
#pragma once

#include "engine/solver.h"

namespace engine {

// The exact value if it lies strictly inside (alpha, beta), otherwise a
// bound beyond the window; in a selective pass (w.solver.pass) only
// an estimate. passed when the opponent has just passed.
int SolveDeep(Worker& w, Bitboard own, Bitboard opp, int alpha, int beta, bool passed);

} // namespace engine
