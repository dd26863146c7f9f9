// The exact solver's move order: the fastest-first key (the opponent's
// replies), and from 10 empty squares a shallow search over the solver's
// learned weights, which also gives the first guess at a position's value.
#pragma once

#include "engine/movegen.h"
#include "engine/solver.h"

namespace engine {

// Keys for the order of moves before the table has a say, lowest first.
// From 10 empty squares on, estimate gets the best of the shallow values
// from the mover's side (tenths of a disc, a finished game beyond any
// estimate), exact: only the moves below it are bounded.
// The shallow searches may be briefer by so many plies; only searches of
// the full depth are remembered.
void KeyMoves(Worker& w, Candidate* list, int n, int empties, int& estimate, int briefer = 0);

// A first guess at the exact value, in discs: a shallow search.
int Guess(Worker& w, Bitboard own, Bitboard opp);

// How far the exact value lies from the estimate KeyMoves gives, in tenths
// of a disc: the root mean square of the difference, by empty squares.
int EstimateError(int empties);

} // namespace engine
