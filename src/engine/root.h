// The exact solver's root: windows one wide from a guess, a selective
// pass before the exact one, and the lowest of the best moves.
#pragma once

#include "engine/movegen.h"
#include "engine/solver.h"

namespace engine {

// The exact value if it lies strictly inside (alpha, beta); otherwise a
// bound on the far side of the window it fell out of.
int SolveWindow(Solver& s, Bitboard own, Bitboard opp, int alpha, int beta);

// The exact value, known to lie in [lower, upper], by a series of
// searches with windows one wide: they cut far more than one wide search.
int SolveBetween(Solver& s, Bitboard own, Bitboard opp, int lower, int upper);

// The same over the whole range for a position with legal moves, listed
// (n > 0) in ascending squares, searched so that first gets the index of
// the first move in the list whose value is the position's.
int SolveFirst(Solver& s, Bitboard own, Bitboard opp, const Candidate* list, int n, int& first);

// The value and a best move (first, an index into the list) as the
// selective passes of at most percent confidence see them: a middle-game
// guess and then passes of growing confidence, all on one thread, so that
// the answer depends on the position alone, like an exact one. The first
// pass runs whatever the percent.
int SolveSure(Solver& s, Bitboard own, Bitboard opp, const Candidate* list, int n, int percent, int& first);

} // namespace engine
