#include <benchmark/benchmark.h>

#include "console/random.h"
#include "game/board.h"

namespace {

// A middle-game position: a few random moves from the start.
void MiddleGame(std::uint32_t seed)
{
    InitBoard();
    RandomSeed = seed;
    for (int i = 0; i < 20 && !HasNoLegalMove(); ++i) {
        CollectLegalMoves();
        PlaceDisc(MoveList[RandomBelow(MoveListCount) + 1]);
        SwapColour(SideToMove);
        SwapColour(Opponent);
    }
}

void BM_IsLegalMove(benchmark::State& state)
{
    MiddleGame(7);
    for (auto _ : state)
        for (CellIndex cell = FirstPlayingCell; cell <= LastPlayingCell; ++cell)
            benchmark::DoNotOptimize(IsLegalMove(cell));
    state.SetItemsProcessed(state.iterations() * (LastPlayingCell - FirstPlayingCell + 1));
}
BENCHMARK(BM_IsLegalMove);

void BM_CollectLegalMoves(benchmark::State& state)
{
    MiddleGame(7);
    for (auto _ : state) {
        CollectLegalMoves();
        benchmark::DoNotOptimize(MoveListCount);
    }
}
BENCHMARK(BM_CollectLegalMoves);

void BM_PlaceDisc(benchmark::State& state)
{
    MiddleGame(7);
    CollectLegalMoves();
    std::uint8_t saved[BoardSize];
    std::int32_t counts[4];
    std::copy(std::begin(Board), std::end(Board), saved);
    std::copy(std::begin(DiscCount), std::end(DiscCount), counts);
    int i = 0;
    // Each move is played on the same position; putting it back is a copy
    // of 100 bytes, cheaper than pausing the clock.
    for (auto _ : state) {
        PlaceDisc(MoveList[i++ % MoveListCount + 1]);
        std::copy(std::begin(saved), std::end(saved), Board);
        std::copy(std::begin(counts), std::end(counts), DiscCount);
    }
}
BENCHMARK(BM_PlaceDisc);

// One whole game of random moves by the rules, with no output.
void BM_RandomGame(benchmark::State& state)
{
    RandomSeed = 1;
    for (auto _ : state) {
        InitBoard();
        int passes = 0;
        while (passes < 2 && DiscCount[Black] != 0 && DiscCount[White] != 0 &&
               DiscCount[Black] + DiscCount[White] != 64) {
            if (HasNoLegalMove()) {
                ++passes;
            } else {
                CollectLegalMoves();
                PlaceDisc(MoveList[RandomBelow(MoveListCount) + 1]);
                passes = 0;
            }
            SwapColour(SideToMove);
            SwapColour(Opponent);
        }
        benchmark::DoNotOptimize(DiscCount);
    }
}
BENCHMARK(BM_RandomGame);

} // namespace
