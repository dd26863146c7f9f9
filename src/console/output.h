// The buffered text stream on standard output.
//
// Bytes gather in a 128-byte buffer that goes out the moment it is full.
// On a console (a character device) the end of every statement also sends
// what has gathered; on a file or a pipe only full buffers leave, and the
// rest at CloseStream. Failures are recorded in StreamResult, never returned.
#pragma once

#include <cstdint>
#include <string_view>

#include "console/platform.h"

inline constexpr std::int32_t StreamBufferSize = 128;

struct OutputStream {
    bool open = false;
    bool flushAtStatementEnd = false;  // standard output is a console
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::int32_t count = 0;  // bytes waiting in the buffer
    char buffer[StreamBufferSize] = {};
};

extern OutputStream ConsoleOutput;

// The text right-aligned in a field of width bytes; never cut.
void WriteText(OutputStream& stream, std::string_view text, std::int32_t width);
// A zero-terminated text: its bytes before the first zero.
void WriteText(OutputStream& stream, const char* text, std::int32_t width);
// The decimal form of value right-aligned in a field of width bytes.
void WriteNumber(OutputStream& stream, std::int32_t value, std::int32_t width);
// CR LF, then FlushOutput.
void WriteLineBreak(OutputStream& stream);
// Ends a statement: sends the buffer when standard output is a console.
void FlushOutput(OutputStream& stream);
// At program end: sends whatever is still buffered.
void CloseStream(OutputStream& stream);
