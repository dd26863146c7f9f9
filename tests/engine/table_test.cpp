// The transposition table packs each entry into words with a check: every
// field must come back as recorded, bounds by the window they were found
// with, and entries of an earlier search must not come back at all. The
// memo of values beside it keeps the same rules.
#include <gtest/gtest.h>

#include <climits>

#include "engine/engine.h"
#include "engine/table.h"

namespace {

using engine::Bitboard;

struct Recorded {
    int depth;
    int sure;
    int alpha, beta, value, move;
    int lower, upper;
};

TEST(Table, EntriesComeBackAsRecorded)
{
    engine::Table table;
    ASSERT_TRUE(table.Allocate(engine::DefaultTableMegabytes));
    const Recorded cases[] = {
        {20, engine::Exact, -3, 5, 2, 37, 2, 2},                   // inside the window: exact
        {7, engine::Exact, -3, 5, 9, 0, 9, INT16_MAX},             // at or above beta: a lower bound
        {63, engine::Exact, -3, 5, -64, 63, INT16_MIN, -64},       // at or below alpha: an upper bound
        {22, 3, 10, 11, 10, -1, INT16_MIN, 10},                    // a selective pass's, no move
        {12, engine::Evaluated, -32000, 32000, -2500, 5, -2500, -2500},  // the middle game's, in its own units
    };
    table.NewSearch();
    for (const Recorded& c : cases) {
        SCOPED_TRACE(c.depth);
        Bitboard own = 0x0000001818000000ull ^ static_cast<Bitboard>(c.depth + 100), opp = 0x00FF000000000000ull;
        table.Record(own, opp, c.depth, c.sure, c.alpha, c.beta, c.value, c.move);
        engine::TableEntry e{};
        ASSERT_TRUE(table.Lookup(own, opp, e));
        EXPECT_EQ(e.own, own);
        EXPECT_EQ(e.opp, opp);
        EXPECT_EQ(e.depth, c.depth);
        EXPECT_EQ(e.sure, c.sure);
        EXPECT_EQ(e.move, c.move);
        EXPECT_EQ(e.lower, c.lower);
        EXPECT_EQ(e.upper, c.upper);
        EXPECT_FALSE(table.Lookup(opp, own, e));
    }
    table.NewSearch();
    engine::TableEntry e{};
    EXPECT_FALSE(table.Lookup(0x0000001818000000ull ^ 120, 0x00FF000000000000ull, e));
}

// Remembered values come back whole, negative or beyond 16 bits, for
// their own position only and only in the same search.
TEST(Table, MemosHoldForTheirPositionAndSearch)
{
    const int values[] = {0, -1, 347, -31999, 70000};
    engine::Table table;
    ASSERT_TRUE(table.Allocate(1));
    table.NewSearch();
    for (int v : values) {
        Bitboard own = 0x0000001818000000ull ^ static_cast<Bitboard>(v & 0xFF) << 40, opp = 0x00FF000000000000ull;
        table.Remember(own, opp, v);
        int back = 12345;
        ASSERT_TRUE(table.Recall(own, opp, back));
        EXPECT_EQ(back, v);
        EXPECT_FALSE(table.Recall(opp, own, back));
        table.NewSearch();
        EXPECT_FALSE(table.Recall(own, opp, back));
    }
}

// A short solve keeps to the start of the table, and the table may grow
// within a search: what was recorded before comes back whole or not at
// all, and what is recorded after comes back.
TEST(Table, GrowingWithinASearchKeepsEntriesWhole)
{
    engine::Table table;
    ASSERT_TRUE(table.Allocate(engine::DefaultTableMegabytes));
    table.NewSearch(16);
    auto own = [](int i) { return 0x0000001818000000ull ^ static_cast<Bitboard>(i) << 40; };
    const Bitboard opp = 0x0000000000FF0000ull;
    for (int grown : {0, 1}) {
        for (int i = 0; i < 4096; ++i)
            table.Record(own(i), opp, 20, engine::Exact, -64, 64, i % 127 - 63, i % 64);
        table.Fit(30);
        int found = 0;
        for (int i = 0; i < 4096; ++i) {
            engine::TableEntry e{};
            if (!table.Lookup(own(i), opp, e))
                continue;
            ++found;
            ASSERT_EQ(e.lower, i % 127 - 63);
            ASSERT_EQ(e.upper, e.lower);
            ASSERT_EQ(e.move, i % 64);
        }
        if (grown) {
            EXPECT_EQ(found, 4096);
        }
    }
}

// Of two positions that share a pair of slots, the one with the most work
// keeps its slot while later ones take turns in the other: the surer
// entry, and among equally sure ones the deeper.
TEST(Table, ThePairKeepsTheMostWork)
{
    struct Work {
        int sure, depth;
    };
    struct Case {
        Work first, second, third;  // the third has the least work
        bool keepsFirst;
    };
    constexpr int Exact = engine::Exact, Evaluated = engine::Evaluated;
    const Case cases[] = {
        {{3, 20}, {3, 10}, {3, 12}, true},             // a pass's deep entries outlast its shallow ones
        {{3, 10}, {5, 8}, {5, 6}, false},              // a surer pass's replace a less sure one's
        {{Exact, 8}, {3, 30}, {3, 25}, true},          // exact bounds outlast any pass's
        {{Evaluated, 14}, {1, 8}, {1, 7}, false},      // the endgame's outlast the middle game's
        {{Evaluated, 12}, {Evaluated, 6}, {Evaluated, 4}, true},
    };
    engine::Table table;
    ASSERT_TRUE(table.Allocate(1));
    const Bitboard opp = 0x0000000000FF0000ull;
    auto own = [](int i) { return 0x0000001818000000ull ^ static_cast<Bitboard>(i) << 40; };
    // Three positions whose pairs coincide in a table of 2^15 slots.
    int found[3] = {0, 0, 0}, n = 1;
    for (int i = 1; n < 3; ++i)
        if ((engine::Hash(own(i), opp) ^ engine::Hash(own(0), opp)) % (1 << 15) < 2)
            found[n++] = i;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first.depth);
        table.NewSearch();
        const Work* works[3] = {&c.first, &c.second, &c.third};
        for (int k = 0; k < 3; ++k)
            table.Record(own(found[k]), opp, works[k]->depth, works[k]->sure, -1, 1, 0, -1);
        engine::TableEntry e;
        EXPECT_EQ(table.Lookup(own(found[0]), opp, e), c.keepsFirst);
        EXPECT_EQ(table.Lookup(own(found[1]), opp, e), !c.keepsFirst);
        EXPECT_TRUE(table.Lookup(own(found[2]), opp, e));
    }
}

} // namespace
