// The two-line report of an exception nothing caught.
#pragma once

#include <string_view>

#include "console/exceptions.h"

// "<class>がモジュール <module> の <offset> で発生しました。" LF "<message>[.]",
// at most 1,023 bytes, in a fixed area that the next call overwrites.
std::string_view FormatReport(const Exception* exception, const void* address);

// Writes the report and a line break to standard output; exits with 1.
[[noreturn]] void ReportUnhandled(const Exception& exception, const void* address);
