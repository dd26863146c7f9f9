#include "engine/table.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace engine {

// A slot as four words: the position, the entry's fields packed, and a
// check over all three. Relaxed atomics cost plain loads and stores.
struct Table::Slot {
    std::uint64_t own, opp, fields, check;
};
static_assert(sizeof(Table::Slot) == 32, "a pair of slots fills one cache line");

// Values that depend on the position alone: the position, then the value
// and a check over it with the generation.
struct Table::Memo {
    std::uint64_t own, opp, value;
};

namespace {

constexpr std::size_t Memos = 1 << 16;

std::uint64_t Load(const std::uint64_t& word)
{
    return std::atomic_ref<std::uint64_t>(const_cast<std::uint64_t&>(word)).load(std::memory_order_relaxed);
}

void Put(std::uint64_t& word, std::uint64_t value)
{
    std::atomic_ref<std::uint64_t>(word).store(value, std::memory_order_relaxed);
}

// The generation and the bounds.
std::uint64_t Pack(const TableEntry& e, std::uint32_t generation)
{
    return std::uint64_t{generation} | std::uint64_t{static_cast<std::uint16_t>(e.lower)} << 32 |
           std::uint64_t{static_cast<std::uint16_t>(e.upper)} << 48;
}

std::uint64_t PackRest(const TableEntry& e)
{
    return std::uint64_t{static_cast<std::uint8_t>(e.depth)} | std::uint64_t{static_cast<std::uint8_t>(e.move)} << 8 |
           std::uint64_t{e.sure} << 16;
}

std::uint32_t CheckOf(std::uint64_t own, std::uint64_t opp, std::uint64_t fields, std::uint64_t rest)
{
    return static_cast<std::uint32_t>(((own ^ std::rotl(opp, 21) ^ std::rotl(fields, 42) ^ rest) * 0x9E3779B97F4A7C15ull) >> 32);
}

// The slot's entry if it is whole and from this generation.
bool Read(const Table::Slot& s, std::uint32_t generation, TableEntry& e)
{
    std::uint64_t own = Load(s.own), opp = Load(s.opp), fields = Load(s.fields), check = Load(s.check);
    std::uint64_t rest = check & 0xFFFFFF;
    if (static_cast<std::uint32_t>(fields) != generation || check >> 32 != CheckOf(own, opp, fields, rest))
        return false;
    e = {own,
         opp,
         static_cast<std::int16_t>(fields >> 32),
         static_cast<std::int16_t>(fields >> 48),
         static_cast<std::int8_t>(rest),
         static_cast<std::int8_t>(rest >> 8),
         static_cast<std::uint8_t>(rest >> 16 & 7)};
    return true;
}

void Write(Table::Slot& s, const TableEntry& e, std::uint32_t generation)
{
    std::uint64_t fields = Pack(e, generation), rest = PackRest(e);
    Put(s.own, e.own);
    Put(s.opp, e.opp);
    Put(s.fields, fields);
    Put(s.check, rest | std::uint64_t{CheckOf(e.own, e.opp, fields, rest)} << 32);
}

void Copy(Table::Slot& to, const Table::Slot& from)
{
    Put(to.own, Load(from.own));
    Put(to.opp, Load(from.opp));
    Put(to.fields, Load(from.fields));
    Put(to.check, Load(from.check));
}

// Which slot of the pair holds the position from this generation, or -1.
int Find(const Table::Slot* pair, Bitboard own, Bitboard opp, std::uint32_t generation, TableEntry& e)
{
    for (int i = 0; i < 2; ++i)
        if (Load(pair[i].own) == own && Load(pair[i].opp) == opp && Read(pair[i], generation, e) && e.own == own &&
            e.opp == opp)
            return i;
    return -1;
}

// What an entry is worth keeping: the surer its bounds, the more, so that
// each pass's entries give way to the next, surer one's; then the deeper,
// since the next pass orders its moves by them.
int Work(int depth, int sure) { return sure * 64 + depth; }

std::uint64_t MemoCheck(std::uint64_t own, std::uint64_t opp, std::uint32_t value, std::uint32_t generation)
{
    return std::uint64_t{CheckOf(own, opp, value, generation)} << 32;
}

} // namespace

std::uint64_t Hash(Bitboard own, Bitboard opp)
{
    std::uint64_t h = own * 0x9E3779B97F4A7C15ull ^ std::rotl(opp * 0xC2B2AE3D27D4EB4Full, 29);
    return h ^ h >> 31;
}

Table::~Table() { std::free(memory_); }

bool Table::Allocate(int megabytes)
{
    // Sizes a 32-bit program cannot address fail like any allocation.
    std::uint64_t bytes = std::uint64_t{static_cast<unsigned>(megabytes)} << 20;
    if (memory_ || bytes >= SIZE_MAX / 2)
        return false;
    std::size_t count = std::bit_floor(static_cast<std::size_t>(bytes) / sizeof(Slot));
    // Zeroed memory from calloc is mapped lazily: a big table costs nothing
    // until used. A pair of slots on one cache line, so that a probe costs
    // one miss; the memo after the slots.
    std::size_t memoBytes = Memos * sizeof(Memo);
    memory_ = std::calloc(count * sizeof(Slot) + memoBytes + 63, 1);
    if (!memory_)
        return false;
    slots_ = reinterpret_cast<Slot*>((reinterpret_cast<std::uintptr_t>(memory_) + 63) & ~std::uintptr_t{63});
    memos_ = reinterpret_cast<Memo*>(slots_ + count);
    count_ = count;
    generation_ = 0;
    Fit(0);  // the least a search uses
    return true;
}

std::size_t Table::PairIndex(Bitboard own, Bitboard opp) const
{
    return static_cast<std::size_t>(Hash(own, opp)) & (used_ - 2);
}

void Table::NewSearch(int empties)
{
    ++generation_;
    Fit(empties);
}

void Table::NewMiddleGameSearch()
{
    ++generation_;
    constexpr std::size_t DefaultSlots = (std::size_t{DefaultTableMegabytes} << 20) / sizeof(Slot);
    used_ = std::min(count_, DefaultSlots);
}

void Table::Fit(int empties)
{
    std::uint64_t wanted = std::uint64_t{1} << std::clamp(empties, 16, 40);
    used_ = std::max(used_, static_cast<std::size_t>(std::min<std::uint64_t>(count_, wanted)));
}

void Table::Prefetch(Bitboard own, Bitboard opp) const { __builtin_prefetch(&slots_[PairIndex(own, opp)]); }

bool Table::Lookup(Bitboard own, Bitboard opp, TableEntry& entry) const
{
    return Find(&slots_[PairIndex(own, opp)], own, opp, generation_, entry) >= 0;
}

void Table::Record(Bitboard own, Bitboard opp, int depth, int sure, int alpha, int beta, int value, int move)
{
    Slot* pair = &slots_[PairIndex(own, opp)];
    TableEntry e;
    int at = Find(pair, own, opp, generation_, e);
    if (at < 0 || e.depth != depth || e.sure != sure) {
        if (at < 0) {
            // The first slot keeps the most work, the second the latest.
            TableEntry first;
            if (!Read(pair[0], generation_, first) || Work(first.depth, first.sure) <= Work(depth, sure)) {
                Copy(pair[1], pair[0]);
                at = 0;
            } else {
                at = 1;
            }
        }
        e = {own, opp, INT16_MIN, INT16_MAX, static_cast<std::int8_t>(depth), -1, static_cast<std::uint8_t>(sure)};
    }
    if (value > alpha && value < beta)
        e.lower = e.upper = static_cast<std::int16_t>(value);
    else if (value >= beta)
        e.lower = static_cast<std::int16_t>(value);
    else
        e.upper = static_cast<std::int16_t>(value);
    if (move >= 0)
        e.move = static_cast<std::int8_t>(move);
    Write(pair[at], e, generation_);
}

bool Table::Recall(Bitboard own, Bitboard opp, int& value) const
{
    const Memo& m = memos_[Hash(own, opp) >> 48];
    std::uint64_t word = Load(m.value);
    auto bits = static_cast<std::uint32_t>(word);
    if (Load(m.own) != own || Load(m.opp) != opp || (word & ~0xFFFFFFFFull) != MemoCheck(own, opp, bits, generation_))
        return false;
    value = static_cast<std::int32_t>(bits);
    return true;
}

void Table::Remember(Bitboard own, Bitboard opp, int value)
{
    Memo& m = memos_[Hash(own, opp) >> 48];
    auto bits = static_cast<std::uint32_t>(value);
    Put(m.own, own);
    Put(m.opp, opp);
    Put(m.value, bits | MemoCheck(own, opp, bits, generation_));
}

void Table::UseHugePages()
{
#if defined(__linux__)
    if (hugePages_)
        return;
    hugePages_ = true;
    // Whole pages inside the table only; a refusal leaves small pages.
    auto begin = (reinterpret_cast<std::uintptr_t>(slots_) + 4095) & ~std::uintptr_t{4095};
    auto end = (reinterpret_cast<std::uintptr_t>(slots_ + count_)) & ~std::uintptr_t{4095};
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

} // namespace engine
