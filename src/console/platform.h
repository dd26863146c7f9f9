// The operating-system services the console layer stands on, under their
// Windows names. A Windows build takes the real ones from <windows.h>; on
// POSIX we provide the same names and types ourselves (platform_posix.cpp),
// and unit tests link a fake with the same symbols (tests/unit/fake_platform).
// Nothing above this header knows which one it got.
#pragma once

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The console shows and reads CP932 while the program runs and gets its
// own code pages back at the end, whichever way the process ends; the
// end goes through this (platform_windows.cpp).
[[noreturn]] void ExitProcessRestoringConsole(UINT status);
#define ExitProcess ExitProcessRestoringConsole

inline constexpr char PathSeparator = '\\';

#else

#include <cstddef>
#include <cstdint>

using BOOL = int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using HANDLE = std::intptr_t;
using HMODULE = std::intptr_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

inline constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
inline constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

inline constexpr DWORD FILE_TYPE_UNKNOWN = 0;
inline constexpr DWORD FILE_TYPE_DISK = 1;
inline constexpr DWORD FILE_TYPE_CHAR = 2;
inline constexpr DWORD FILE_TYPE_PIPE = 3;

// Error codes the console layer may meet, with their Windows values so
// that the report's message table means the same thing on every platform.
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_GEN_FAILURE = 31;  // every errno without a closer match
inline constexpr DWORD ERROR_BROKEN_PIPE = 109;
inline constexpr DWORD ERROR_DISK_FULL = 112;

struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay;
    WORD wHour, wMinute, wSecond, wMilliseconds;
};

struct MEMORY_BASIC_INFORMATION {
    void* BaseAddress;
    void* AllocationBase;  // start of the loaded image that holds the address
    std::size_t RegionSize;
};

HANDLE GetStdHandle(DWORD which);
DWORD GetFileType(HANDLE handle);
BOOL CloseHandle(HANDLE handle);
BOOL ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE handle, const void* buffer, DWORD size, DWORD* written, void* overlapped);
DWORD GetLastError();
void GetSystemTime(SYSTEMTIME* time);
[[noreturn]] void ExitProcess(UINT status);

// Which loaded image holds an address: 0 when none does.
std::size_t VirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* info, std::size_t size);
// The file path of a loaded image (0 is the program itself); the length
// copied, without the terminating zero.
DWORD GetModuleFileNameA(HMODULE module, char* path, DWORD size);

inline constexpr char PathSeparator = '/';

#endif
