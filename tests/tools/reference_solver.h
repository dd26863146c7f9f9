// A plain exact solver to pin the engine's answers against: its own move
// rules and fail-soft alpha-beta with the moves ordered by the opponent's
// replies and a small table of bounds of its own, without selective cuts,
// so that its values owe nothing to the engine's search.
//
// Square s is cell 10 * (s / 8 + 1) + s % 8 + 1. Values are final disc
// differences for the side to move, empty squares counting for neither.
#pragma once

#include <cstdint>
#include <vector>

namespace reference {

using Bits = std::uint64_t;

struct Board {
    Bits own, opp;  // the side to move's discs, the other side's
};

Bits Moves(const Board& b);
// Plays a legal square and hands the turn over.
Board Play(const Board& b, int square);
inline Board Pass(const Board& b) { return {b.opp, b.own}; }

// The exact value if it lies strictly inside (alpha, beta); otherwise a
// bound on the side of the window it fell out of.
int Search(const Board& b, int alpha, int beta);

struct Answer {
    int value;
    std::vector<int> best;  // every best square, ascending; none when the side to move has no move
};
// The value and every move that reaches it: one full-window search, then
// for each move a null window at the value.
Answer SolveAll(const Board& b);

// Positions visited since the program started.
extern std::uint64_t Nodes;
// Whether searches keep bounds; without, plain alpha-beta (for checking).
extern bool UseTable;

} // namespace reference
