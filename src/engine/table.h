// The transposition table: one slot per hashed position, bounds on its
// value, the depth they hold for and the best move found. Every search
// starts a new generation and slots of older ones count as empty, except
// that the levels' exact endgame goes on in its generation from move to
// move, since exact bounds hold however they were found. The middle game
// keeps to the default table's slots, so that its moves and estimates do
// not depend on a larger table; a smaller one may change them.
//
// The exact solver may run on several threads, so slots are read and
// written word by word without locks; each carries a check over its words,
// and a slot torn by two writers at once fails it and reads as empty.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/engine.h"

namespace engine {

// How sure an entry's bounds are: the middle game's hold for its plies
// and its evaluation; a selective endgame pass's, on the final disc
// difference, hold as far as its cuts are trusted, the more the surer the
// pass; exact ones always.
inline constexpr int Evaluated = 0, Exact = 7;

struct TableEntry {
    Bitboard own, opp;
    std::int16_t lower, upper;
    std::int8_t depth;  // plies searched in the middle game, else the empty squares
    std::int8_t move;   // -1 when none
    std::uint8_t sure;  // Evaluated (the middle game), a selective pass's 1 to Exact - 1, or Exact
};

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

class Table {
public:
    Table() = default;
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Takes the memory, mapped by the system as it is used; false when it
    // cannot be had.
    bool Allocate(int megabytes);

    // Starts a new generation for a search of so many empty squares; the
    // table grows to what such a search needs, and never shrinks.
    void NewSearch(int empties = 64);
    // Starts a new generation on the default table's slots, fewer where the
    // table is smaller: the middle game's.
    void NewMiddleGameSearch();
    // Grows the table, if need be, for a search of so many empty squares
    // within the current generation (a slot for each 2^empties, up to its size).
    void Fit(int empties);

    // Starts loading the position's pair of slots, for a lookup soon after.
    void Prefetch(Bitboard own, Bitboard opp) const;
    // A copy of the position's entry from this generation, or false.
    bool Lookup(Bitboard own, Bitboard opp, TableEntry& entry) const;
    // Records what a search with window (alpha, beta) found. Each position
    // hashes to a pair of slots: one keeps the most work, one the latest.
    void Record(Bitboard own, Bitboard opp, int depth, int sure, int alpha, int beta, int value, int move);

    // A value that depends on the position alone (and the weights), kept
    // for the rest of this generation in a small memo of its own.
    bool Recall(Bitboard own, Bitboard opp, int& value) const;
    void Remember(Bitboard own, Bitboard opp, int value);

    // Asks for the table's memory in huge pages, where the system has them.
    // A page's first write then happens once per huge page: with several
    // threads, each such fault interrupts every core that ran one.
    void UseHugePages();

    struct Slot;
    struct Memo;

private:
    std::size_t PairIndex(Bitboard own, Bitboard opp) const;

    void* memory_ = nullptr;
    Slot* slots_ = nullptr;
    std::size_t count_ = 0;
    // Slots in use, a power of two: a short solve keeps to the start of the
    // table, since the first write to each page costs a fault, and on a
    // virtual machine those faults can take longer than the solve itself.
    std::size_t used_ = 0;
    std::uint32_t generation_ = 0;
    Memo* memos_ = nullptr;
    bool hugePages_ = false;
};

} // namespace engine
