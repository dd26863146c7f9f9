// The transposition table: one slot per hashed position, bounds on its
// value, the depth they hold for and the best move found. Every search
// starts a new generation, and slots of older ones count as empty, so a
// search depends only on its own position and never on earlier ones.
//
// The exact solver may run on several threads, so slots are read and
// written word by word without locks; each carries a check over its words,
// and a slot torn by two writers at once fails it and reads as empty.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/engine.h"

namespace engine {

struct TableEntry {
    Bitboard own, opp;
    std::int16_t lower, upper;
    std::int8_t depth;  // plies searched, empty squares when exact, minus them when selective
    std::int8_t move;   // -1 when none
    bool exact;         // bounds on the final disc difference, not on the evaluation
};

// Size of the table unless SetTableMegabytes chose another before InitSearch.
inline constexpr int DefaultTableMegabytes = 128;

// Whether the entry's bounds settle the value for window (alpha, beta);
// value gets it when they do.
inline bool BoundsSettle(const TableEntry& e, int alpha, int beta, int& value)
{
    if (e.lower >= beta)
        value = e.lower;
    else if (e.upper <= alpha)
        value = e.upper;
    else if (e.lower == e.upper)
        value = e.lower;
    else
        return false;
    return true;
}

std::uint64_t Hash(Bitboard own, Bitboard opp);

// Starts a new generation for a search of so many empty squares; the
// table grows to what such a search needs, and never shrinks.
void NewSearch(int empties = 64);
// Starts a new generation for a level's middle-game search, which keeps
// to the slots of the default table whatever the table's size: its moves
// and estimates then do not depend on a larger table or earlier solves.
void NewMiddleGameSearch();
// Grows the table, if need be, for a search of so many empty squares
// within the current generation (a slot for each 2^empties, up to its size).
void FitTable(int empties);
// Starts loading the position's pair of slots, for a lookup soon after.
void Prefetch(Bitboard own, Bitboard opp);
// A copy of the position's entry from this search, or false.
bool Lookup(Bitboard own, Bitboard opp, TableEntry& entry);
// Records what a search with window (alpha, beta) found. Each position
// hashes to a pair of slots: one keeps the most work, one the latest.
void Record(Bitboard own, Bitboard opp, int depth, bool exact, int alpha, int beta, int value, int move);

// Asks for the table's memory in huge pages, where the system has them.
// A page's first write then happens once per huge page: with several
// threads, each such fault interrupts every core that ran one.
void UseHugePages();

// A value that depends on the position alone (and the evaluation's
// weights), kept for the rest of this search in a small cache of its own.
bool Recall(Bitboard own, Bitboard opp, int& value);
void Remember(Bitboard own, Bitboard opp, int value);

} // namespace engine
