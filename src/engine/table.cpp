#include "engine/table.h"

#include <atomic>
#include <bit>
#include <new>

namespace engine {

namespace {

int Megabytes = DefaultTableMegabytes;
std::size_t Slots = 0;
TableEntry* Table = nullptr;
// One lock per pair of slots, taken only by Lookup and Record.
std::atomic<std::uint8_t>* Locks = nullptr;
std::uint32_t Generation = 0;

static_assert(sizeof(TableEntry) == 32, "a pair of slots fills one cache line");

std::size_t PairIndex(Bitboard own, Bitboard opp) { return static_cast<std::size_t>(Hash(own, opp)) & (Slots - 2); }

bool Holds(const TableEntry& e, Bitboard own, Bitboard opp)
{
    return e.generation == Generation && e.own == own && e.opp == opp;
}

// The slot of the pair that holds the position from this search, or null.
TableEntry* Find(TableEntry* pair, Bitboard own, Bitboard opp)
{
    return Holds(pair[0], own, opp) ? &pair[0] : Holds(pair[1], own, opp) ? &pair[1] : nullptr;
}

class PairLock {
public:
    PairLock(std::size_t pair, bool shared) : lock_(shared ? &Locks[pair / 2] : nullptr)
    {
        if (lock_)
            while (lock_->exchange(1, std::memory_order_acquire))
                while (lock_->load(std::memory_order_relaxed)) {
                }
    }
    ~PairLock()
    {
        if (lock_)
            lock_->store(0, std::memory_order_release);
    }
    PairLock(const PairLock&) = delete;
    PairLock& operator=(const PairLock&) = delete;

private:
    std::atomic<std::uint8_t>* lock_;
};

void StoreAt(TableEntry* pair, Bitboard own, Bitboard opp, int depth, bool exact, int alpha, int beta, int value,
             int move)
{
    TableEntry* e = Find(pair, own, opp);
    if (e && (e->depth != depth || e->exact != exact))
        *e = {own, opp, Generation, INT16_MIN, INT16_MAX, static_cast<std::int8_t>(depth), -1, exact};
    if (!e) {
        if (pair[0].generation != Generation || pair[0].depth <= depth) {
            pair[1] = pair[0];
            e = &pair[0];
        } else {
            e = &pair[1];
        }
        *e = {own, opp, Generation, INT16_MIN, INT16_MAX, static_cast<std::int8_t>(depth), -1, exact};
    }
    if (value > alpha && value < beta)
        e->lower = e->upper = static_cast<std::int16_t>(value);
    else if (value >= beta)
        e->lower = static_cast<std::int16_t>(value);
    else
        e->upper = static_cast<std::int16_t>(value);
    if (move >= 0)
        e->move = static_cast<std::int8_t>(move);
}

} // namespace

std::uint64_t Hash(Bitboard own, Bitboard opp)
{
    std::uint64_t h = own * 0x9E3779B97F4A7C15ull ^ std::rotl(opp * 0xC2B2AE3D27D4EB4Full, 29);
    return h ^ h >> 31;
}

void NewSearch() { ++Generation; }

void Prefetch(Bitboard own, Bitboard opp)
{
    if (Table)
        __builtin_prefetch(&Table[PairIndex(own, opp)]);
}

const TableEntry* Probe(Bitboard own, Bitboard opp)
{
    if (!Table)
        return nullptr;
    return Find(&Table[PairIndex(own, opp)], own, opp);
}

void Store(Bitboard own, Bitboard opp, int depth, bool exact, int alpha, int beta, int value, int move)
{
    if (Table)
        StoreAt(&Table[PairIndex(own, opp)], own, opp, depth, exact, alpha, beta, value, move);
}

bool Lookup(Bitboard own, Bitboard opp, TableEntry& entry, bool shared)
{
    if (!Table)
        return false;
    std::size_t index = PairIndex(own, opp);
    PairLock lock(index, shared);
    const TableEntry* e = Find(&Table[index], own, opp);
    if (e)
        entry = *e;
    return e != nullptr;
}

void Record(Bitboard own, Bitboard opp, int depth, bool exact, int alpha, int beta, int value, int move, bool shared)
{
    if (!Table)
        return;
    std::size_t index = PairIndex(own, opp);
    PairLock lock(index, shared);
    StoreAt(&Table[index], own, opp, depth, exact, alpha, beta, value, move);
}

} // namespace engine

void SetTableMegabytes(int megabytes)
{
    if (!engine::Table)
        engine::Megabytes = megabytes;
}

bool InitSearch()
{
    using namespace engine;
    if (!Table) {
        // The largest power of two of slots that fits, whatever the entry's padding.
        Slots = std::bit_floor((std::size_t{static_cast<unsigned>(Megabytes)} << 20) / sizeof(TableEntry));
        // A pair of slots on one cache line: a probe costs one miss.
        constexpr std::align_val_t Line{64};
        std::size_t bytes = Slots * sizeof(TableEntry);
        void* memory = ::operator new[](bytes, Line, std::nothrow);
        Locks = memory ? new (std::nothrow) std::atomic<std::uint8_t>[Slots / 2]() : nullptr;
        if (memory && !Locks)
            ::operator delete[](memory, Line);
        else if (memory)
            Table = new (memory) TableEntry[Slots]();
        Generation = 0;
    }
    return Table != nullptr;
}
