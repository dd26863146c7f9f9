// Exact endgame search: values are final disc differences for the side to
// move, empty squares counting for neither.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "engine/movegen.h"

namespace engine {

// Positions visited by the searches, for benchmarks.
extern std::uint64_t SearchNodes;

// What CurrentSearch shows: a new position's search starts it afresh, the
// middle game reports its depth and, in steps, its positions.
void StartStatus();
void ReportDepth(int depth);
void ReportNodes(std::uint64_t nodes);

// The exact value if it lies strictly inside (alpha, beta); otherwise a
// bound on the far side of the window it fell out of.
int SolveWindow(Bitboard own, Bitboard opp, int alpha, int beta);

// The exact value, known to lie in [lower, upper], by a series of
// searches with windows one wide: they cut far more than one wide search.
int SolveBetween(Bitboard own, Bitboard opp, int lower, int upper);

// The same over the whole range for a position with legal moves, listed
// (n > 0), searched so that first gets the index of the first move in the
// list whose value is the position's.
int SolveFirst(Bitboard own, Bitboard opp, const Candidate* list, int n, int& first);

// Sets one of the solver's thresholds by name, for measuring them
// (bench/solve_bench.cpp) and for tests that want threads on small positions.
void Tune(const char* name, int value);

} // namespace engine
