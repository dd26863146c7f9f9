// The whole program over the fake platform with arbitrary standard input:
// it must end, with status 0 or 1, whatever arrives.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "console/process.h"
#include "fake_platform.h"
#include "game/game_loop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider provider(bytes, size);
    ResetAll();
    Fake.stdoutType = provider.ConsumeBool() ? FILE_TYPE_CHAR : FILE_TYPE_PIPE;
    Fake.clock.wMilliseconds = provider.ConsumeIntegralInRange<WORD>(0, 999);
    Fake.clock.wSecond = provider.ConsumeIntegralInRange<WORD>(0, 59);
    std::size_t piece = provider.ConsumeIntegralInRange<std::size_t>(1, 128);
    std::string input = provider.ConsumeRemainingBytesAsString();
    for (std::size_t at = 0; at < input.size(); at += piece)
        Fake.reads.push_back({input.substr(at, piece), 0});

    try {
        RunProcess(RunProgram);
    } catch (const FakeExit& exit) {
        if (exit.status != 0 && exit.status != 1)
            std::abort();
        return 0;
    }
    std::abort();  // RunProcess never returns
}
