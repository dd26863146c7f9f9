// A scripted stand-in for the platform layer, linked into the unit tests
// in place of the real one: reads come from a script, writes are recorded
// call by call, failures and the clock are set by the test, and
// ExitProcess throws FakeExit instead of ending the test run.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "console/platform.h"

struct FakeExit {
    UINT status;
};

struct FakeRead {
    std::string bytes;     // delivered (at most the size asked for; the rest waits)
    DWORD error = 0;       // nonzero: the read fails with this code instead
};

struct FakePlatform {
    // Standard output.
    bool stdoutValid = true;
    DWORD stdoutType = FILE_TYPE_PIPE;
    DWORD stdoutOpenError = ERROR_INVALID_HANDLE;  // GetLastError after an invalid handle
    std::vector<std::string> writes;  // one entry per WriteFile call
    bool keepWrites = true;           // false: only count (benchmarks)
    std::size_t bytesWritten = 0;
    int writesBeforeFailure = -1;     // -1: never fail; else fail every call from then on
    DWORD writeError = ERROR_DISK_FULL;
    int closeHandleCalls = 0;

    // Standard input.
    bool stdinValid = true;
    DWORD stdinOpenError = ERROR_INVALID_HANDLE;
    std::deque<FakeRead> reads;  // after the last one: 0 bytes, the end of the data
    int readCalls = 0;

    // Clock and the report's module lookup.
    SYSTEMTIME clock{2026, 12, 2, 8, 12, 34, 56, 789};
    std::uintptr_t imageStart = 0x400000;
    std::string modulePath = "/usr/games/shirokuro";

    DWORD lastError = 0;

    std::string Output() const;  // all bytes written, in order
};

extern FakePlatform Fake;

// Fresh fake, and every process-wide variable of the console services
// back to its start-up value (the game's own state is the test's concern).
void ResetAll();

// Queues a script of reads, one FakeRead per piece.
void ScriptInput(std::initializer_list<std::string> pieces);
