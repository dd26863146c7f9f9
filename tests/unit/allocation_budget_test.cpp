// Over a run of many games the heap is touched at most once per game (the
// play-again line); drawing, moves and number reading allocate nothing.
#include <gtest/gtest.h>

#include <string>

#include "alloc_count.h"
#include "console/process.h"
#include "fake_platform.h"
#include "game/game_loop.h"

namespace {

// Allocations made by a whole run of games, both colours the computer.
std::size_t AllocationsForGames(int games)
{
    ResetAll();
    ReplayAnswer = std::string();
    Fake.keepWrites = false;  // the fake's own recording would allocate
    std::string input;
    for (int i = 1; i < games; ++i)
        input += "C\r\nC\r\n\r\n";
    input += "C\r\nC\r\nn\r\n";
    Fake.reads.push_back({input, 0});

    std::size_t before = AllocationCount();
    try {
        RunProcess(RunProgram);
    } catch (const FakeExit& exit) {
        EXPECT_EQ(exit.status, 0u);
    }
    return AllocationCount() - before;
}

TEST(AllocationBudget, AtMostOneAllocationPerGame)
{
    for (int games : {1, 10, 40}) {
        SCOPED_TRACE(games);
        EXPECT_LE(AllocationsForGames(games), static_cast<std::size_t>(games));
    }
    EXPECT_LE(AllocationsForGames(40), AllocationsForGames(10) + 30);
}

} // namespace
