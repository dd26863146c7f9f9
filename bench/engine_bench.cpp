// The engine's speed: perft leaves per second, exact solving of
// 20-empty positions (median time, nodes per second), and the time a
// level takes for a move. Positions come from seeded games:
// four random plies, then level 1 against itself.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <vector>

#include "engine/engine.h"

namespace {

using namespace engine;

// One searcher for every benchmark, on one thread.
Engine& Search()
{
    static Engine search;
    return search;
}

constexpr Position Start{(Bitboard{1} << SquareOfCell(44)) | (Bitboard{1} << SquareOfCell(55)),
                         (Bitboard{1} << SquareOfCell(45)) | (Bitboard{1} << SquareOfCell(54))};

std::uint32_t Seed;
int Below(int n)
{
    Seed = Seed * 134775813u + 1u;
    return static_cast<int>((std::uint64_t{static_cast<std::uint32_t>(n)} * Seed) >> 32);
}

int Empties(const Position& p) { return std::popcount(~(p.own | p.opp)); }

// count positions with the given number of empty squares and a move to make.
std::vector<Position> Positions(int empties, int count)
{
    std::vector<Position> out;
    for (std::uint32_t game = 1; static_cast<int>(out.size()) < count; ++game) {
        Seed = game;
        Position p = Start;
        for (int ply = 0; Empties(p) > empties; ++ply) {
            Bitboard moves = LegalMoves(p);
            if (!moves) {
                p = Pass(p);
                if (!LegalMoves(p))
                    break;
                continue;
            }
            int best[64], discs;
            int n = 0;
            if (ply < 4)
                for (; moves; moves &= moves - 1)
                    best[n++] = std::countr_zero(moves);
            else
                n = Search().Analyse(p, 1, best, discs);
            p = Play(p, best[Below(n)]);
        }
        if (Empties(p) == empties && LegalMoves(p))
            out.push_back(p);
    }
    return out;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_Perft(benchmark::State& state)
{
    std::uint64_t leaves = 0;
    for (auto _ : state)
        leaves += Perft(Start, static_cast<int>(state.range(0)));
    state.counters["leaves/s"] = benchmark::Counter(static_cast<double>(leaves), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Perft)->Arg(9)->Arg(11)->Unit(benchmark::kMillisecond);

// Each position solved once; the median and the slowest as counters.
void BM_Solve(benchmark::State& state)
{
    std::vector<Position> positions = Positions(static_cast<int>(state.range(0)), 25);
    std::vector<double> times;
    std::uint64_t nodes = 0;
    for (auto _ : state) {
        for (const Position& p : positions) {
            std::uint64_t before = Search().Nodes();
            auto t = std::chrono::steady_clock::now();
            int square;
            benchmark::DoNotOptimize(Search().Solve(p, &square));
            times.push_back(Seconds(t));
            nodes += Search().Nodes() - before;
        }
    }
    std::sort(times.begin(), times.end());
    state.counters["median_s"] = times[times.size() / 2];
    state.counters["max_s"] = times.back();
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Solve)->Arg(16)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

// One move at a level (first argument) with so many empty squares
// (second): 36 is the middle game, 20 the top level's first exact move.
void BM_LevelMove(benchmark::State& state)
{
    std::vector<Position> positions = Positions(static_cast<int>(state.range(1)), 20);
    std::vector<double> times;
    for (auto _ : state) {
        for (const Position& p : positions) {
            auto t = std::chrono::steady_clock::now();
            int moves[64], discs;
            benchmark::DoNotOptimize(Search().Analyse(p, static_cast<int>(state.range(0)), moves, discs));
            times.push_back(Seconds(t));
        }
    }
    std::sort(times.begin(), times.end());
    state.counters["median_s"] = times[times.size() / 2];
    state.counters["max_s"] = times.back();
}
// A search over the learned evaluation of depth plies (first argument),
// full width (second argument 0) or selective (1), from 20 positions with
// 36 empty squares: time and nodes.
void BM_LearnedSearch(benchmark::State& state)
{
    std::vector<Position> positions = Positions(36, 20);
    std::uint64_t nodes = 0;
    for (auto _ : state) {
        for (const Position& p : positions) {
            std::uint64_t before = Search().Nodes();
            benchmark::DoNotOptimize(Search().Score(p, static_cast<int>(state.range(0)),
                                                    state.range(1) != 0 ? Style::Selective : Style::Patterns));
            nodes += Search().Nodes() - before;
        }
    }
    state.counters["nodes/position"] = static_cast<double>(nodes) / static_cast<double>(positions.size() * state.iterations());
}
BENCHMARK(BM_LearnedSearch)->Args({8, 0})->Args({10, 0})->Args({10, 1})->Args({12, 1})->Args({16, 1})->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_LevelMove)
    ->ArgsProduct({benchmark::CreateDenseRange(1, MaxLevel, 1), {36}})
    ->Args({MaxLevel, 20})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
