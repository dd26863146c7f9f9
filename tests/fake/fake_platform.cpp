#include "fake_platform.h"

#include <algorithm>
#include <cstring>

#include "console/exceptions.h"
#include "console/input.h"
#include "console/output.h"
#include "console/process.h"
#include "console/random.h"
#include "console/stream_result.h"

FakePlatform Fake;

namespace {
constexpr HANDLE StdinHandle = 100;
constexpr HANDLE StdoutHandle = 101;
} // namespace

std::string FakePlatform::Output() const
{
    std::string all;
    for (const std::string& w : writes)
        all += w;
    return all;
}

void ResetAll()
{
    Fake = FakePlatform{};
    ConsoleOutput = OutputStream{};
    ConsoleInput = InputStream{};
    StreamResult = 0;
    ExitStatus = 0;
    ErrorReporting = ErrorReportingState::Ready;
    RandomSeed = 0;
    RaiseAddress = nullptr;
}

void ScriptInput(std::initializer_list<std::string> pieces)
{
    for (const std::string& piece : pieces)
        Fake.reads.push_back({piece, 0});
}

HANDLE GetStdHandle(DWORD which)
{
    if (which == STD_INPUT_HANDLE && Fake.stdinValid)
        return StdinHandle;
    if (which == STD_OUTPUT_HANDLE && Fake.stdoutValid)
        return StdoutHandle;
    Fake.lastError = which == STD_INPUT_HANDLE ? Fake.stdinOpenError : Fake.stdoutOpenError;
    return INVALID_HANDLE_VALUE;
}

DWORD GetFileType(HANDLE handle)
{
    return handle == StdoutHandle ? Fake.stdoutType : FILE_TYPE_CHAR;
}

BOOL CloseHandle(HANDLE)
{
    ++Fake.closeHandleCalls;
    return TRUE;
}

BOOL ReadFile(HANDLE, void* buffer, DWORD size, DWORD* read, void*)
{
    ++Fake.readCalls;
    *read = 0;
    if (Fake.reads.empty())
        return TRUE;
    FakeRead& next = Fake.reads.front();
    if (next.error != 0) {
        Fake.lastError = next.error;
        Fake.reads.pop_front();
        return FALSE;
    }
    std::size_t take = std::min<std::size_t>(size, next.bytes.size());
    std::memcpy(buffer, next.bytes.data(), take);
    *read = static_cast<DWORD>(take);
    next.bytes.erase(0, take);
    if (next.bytes.empty())
        Fake.reads.pop_front();
    return TRUE;
}

BOOL WriteFile(HANDLE, const void* buffer, DWORD size, DWORD* written, void*)
{
    if (Fake.writesBeforeFailure == 0) {
        Fake.lastError = Fake.writeError;
        *written = 0;
        return FALSE;
    }
    if (Fake.writesBeforeFailure > 0)
        --Fake.writesBeforeFailure;
    Fake.bytesWritten += size;
    if (Fake.keepWrites)
        Fake.writes.emplace_back(static_cast<const char*>(buffer), size);
    *written = size;
    return TRUE;
}

DWORD GetLastError() { return Fake.lastError; }

void GetSystemTime(SYSTEMTIME* time) { *time = Fake.clock; }

void ExitProcess(UINT status) { throw FakeExit{status}; }

std::size_t VirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* info, std::size_t)
{
    if (reinterpret_cast<std::uintptr_t>(address) < Fake.imageStart)
        return 0;
    *info = MEMORY_BASIC_INFORMATION{const_cast<void*>(address), reinterpret_cast<void*>(Fake.imageStart), 1};
    return sizeof *info;
}

DWORD GetModuleFileNameA(HMODULE, char* path, DWORD size)
{
    if (size == 0)
        return 0;
    DWORD length = static_cast<DWORD>(std::min<std::size_t>(Fake.modulePath.size(), size - 1));
    std::memcpy(path, Fake.modulePath.data(), length);
    path[length] = '\0';
    return length;
}
