// The transposition table: one slot per hashed position, bounds on its
// value, the depth they hold for and the best move found. Every search
// starts a new generation, and slots of older ones count as empty, so a
// search depends only on its own position and never on earlier ones.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace engine {

// Exact endgame values are stored under this depth, above any search depth.
inline constexpr int ExactDepth = 127;

struct TableEntry {
    Bitboard own, opp;
    std::uint32_t generation;
    std::int16_t lower, upper;
    std::int8_t depth;
    std::int8_t move;  // -1 when none
};

// Size of the table, allocated once by InitSearch.
inline constexpr std::size_t TableBytes = std::size_t{32} << 20;

void NewSearch();
// The entry for the position from this search, or null.
const TableEntry* Probe(Bitboard own, Bitboard opp);
// Records what a search with window (alpha, beta) found.
void Store(Bitboard own, Bitboard opp, int depth, int alpha, int beta, int value, int move);

} // namespace engine
