#include <benchmark/benchmark.h>

#include <string>

#include "console/input.h"
#include "console/output.h"
#include "fake_platform.h"
#include "game/board.h"
#include "game/draw.h"

namespace {

// One drawing into a pipe (128-byte platform writes) or a console (one
// platform write per statement).
void BM_DrawBoard(benchmark::State& state)
{
    ResetAll();
    Fake.keepWrites = false;
    Fake.stdoutType = state.range(0) ? FILE_TYPE_CHAR : FILE_TYPE_PIPE;
    InitBoard();
    for (auto _ : state)
        DrawBoard();
    state.SetBytesProcessed(static_cast<std::int64_t>(Fake.bytesWritten));
}
BENCHMARK(BM_DrawBoard)->Arg(0)->Arg(1)->ArgNames({"console"});

// Move answers as a person types them, refilled from the platform in
// 128-byte pieces.
void BM_ReadNumber(benchmark::State& state)
{
    std::string lines;
    for (int i = 0; i < 1000; ++i)
        lines += "  " + std::to_string(i % 100) + "\r\n";
    for (auto _ : state) {
        state.PauseTiming();
        ResetAll();
        Fake.reads.push_back({lines, 0});
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i) {
            benchmark::DoNotOptimize(ReadNumber(ConsoleInput));
            SkipLine(ConsoleInput);
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ReadNumber);

} // namespace
