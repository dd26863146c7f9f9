#include "engine/table.h"

#include <bit>
#include <new>

namespace engine {

namespace {

constexpr std::size_t Slots = std::bit_floor(TableBytes / sizeof(TableEntry));

TableEntry* Table = nullptr;
std::uint32_t Generation = 0;

TableEntry* PairOf(Bitboard own, Bitboard opp)
{
    std::uint64_t h = own * 0x9E3779B97F4A7C15ull ^ std::rotl(opp * 0xC2B2AE3D27D4EB4Full, 29);
    h ^= h >> 31;
    return &Table[static_cast<std::size_t>(h) & (Slots - 2)];
}

bool Holds(const TableEntry& e, Bitboard own, Bitboard opp)
{
    return e.generation == Generation && e.own == own && e.opp == opp;
}

} // namespace

void NewSearch() { ++Generation; }

const TableEntry* Probe(Bitboard own, Bitboard opp)
{
    if (!Table)
        return nullptr;
    TableEntry* pair = PairOf(own, opp);
    return Holds(pair[0], own, opp) ? &pair[0] : Holds(pair[1], own, opp) ? &pair[1] : nullptr;
}

void Store(Bitboard own, Bitboard opp, int depth, bool exact, int alpha, int beta, int value, int move)
{
    if (!Table)
        return;
    TableEntry* pair = PairOf(own, opp);
    TableEntry* e = Holds(pair[0], own, opp) ? &pair[0] : Holds(pair[1], own, opp) ? &pair[1] : nullptr;
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

} // namespace engine

bool InitSearch()
{
    if (!engine::Table) {
        engine::Table = new (std::nothrow) engine::TableEntry[engine::Slots]();
        engine::Generation = 0;
    }
    return engine::Table != nullptr;
}
