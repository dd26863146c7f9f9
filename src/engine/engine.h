// The computer opponent's engine: bit-board positions, move generation,
// search and exact endgame solving. It knows nothing of the console or of
// the game's own board; callers convert.
//
// Squares are the 64 playing cells row by row, as the game's move masks
// have them: square 0 is cell 11, square 63 is cell 88, and square s is
// cell 10 * (s / 8 + 1) + s % 8 + 1.
#pragma once

#include <cstdint>

using Bitboard = std::uint64_t;

inline constexpr int MaxLevel = 7;

// A position from the side to move's point of view.
struct Position {
    Bitboard own;  // discs of the side to move
    Bitboard opp;  // discs of the other side
};

constexpr int SquareOfCell(int cell) { return (cell / 10 - 1) * 8 + cell % 10 - 1; }
constexpr int CellOfSquare(int square) { return (square / 8 + 1) * 10 + square % 8 + 1; }

// Every legal move of the side to move, one bit per square.
Bitboard LegalMoves(const Position& p);
// Plays a legal square for the side to move and hands the turn over.
Position Play(const Position& p, int square);
// Hands the turn over without a move.
inline Position Pass(const Position& p) { return {p.opp, p.own}; }

// Leaves at depth plies: a ply is a move, or a pass when only the
// opponent can move; a game that ends earlier is one leaf where it ends.
std::uint64_t Perft(const Position& p, int depth);

// Allocates the transposition table once. Searching needs it; level 0
// never calls it. False when the memory cannot be had.
bool InitSearch();
// The table's size for InitSearch, when called before it.
void SetTableMegabytes(int megabytes);

// Threads for exact solving (at least 1); the middle-game search always
// runs on one. Results do not depend on it.
void SetThreads(int threads);
// Every core the machine reports.
int DefaultThreads();

// The moves that level (1..MaxLevel) rates equally best for the side to
// move, as squares in ascending order; returns their count (at least 1).
// The side to move must have a legal move. Deterministic: depends only
// on the position and the level.
int BestMoves(const Position& p, int level, int moves[64]);
// BestMoves, and the level's estimate of the final disc difference for
// the side to move in discs; exact where the level plays exactly.
int AnalyseMoves(const Position& p, int level, int moves[64], int& discs);

// The exact final disc difference (side to move minus opponent, empty
// squares counting for neither) under perfect play by both. bestSquare
// gets a best move, or -1 when the side to move has none.
// The best move given is the lowest square among the equally best.
int Solve(const Position& p, int* bestSquare);

// How far the running search is, for another thread to show: positions
// visited so far in this position's search, and either the depth of the
// middle-game search under way or, while solving exactly (depth 0), the
// bounds known on the value. Each search starts it afresh.
struct SearchStatus {
    std::uint64_t nodes;
    int depth;
    int lower, upper;
};
SearchStatus CurrentSearch();
