// The buffered text stream on standard output.
//
// Bytes gather in a 128-byte buffer that goes out the moment it is full.
// On a console (a character device) the end of every statement also sends
// what has gathered; on a file or a pipe only full buffers leave, and the
// rest at CloseStream. Failures are recorded in StreamResult, never returned.
#pragma once

#include <algorithm>
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

// The slow paths: opening, padding, and a buffer that fills.
void PlaceText(OutputStream& stream, std::string_view text, std::int32_t width);
void EndStatementSlow(OutputStream& stream);

// The text right-aligned in a field of width bytes; never cut.
inline void WriteText(OutputStream& stream, std::string_view text, std::int32_t width)
{
    // Fast path: the stream is open and the buffer stays short of full.
    std::int32_t length = static_cast<std::int32_t>(text.size());
    std::int32_t pad = width > length ? width - length : 0;
    std::int32_t at = stream.count;
    if (stream.open && text.size() < static_cast<std::size_t>(StreamBufferSize) &&
        std::int64_t{at} + pad + length < StreamBufferSize) {
        std::fill_n(stream.buffer + at, pad, ' ');
        std::copy(text.begin(), text.end(), stream.buffer + at + pad);  // safe for an empty text
        stream.count = at + pad + length;
        return;
    }
    PlaceText(stream, text, width);
}

// A zero-terminated text: its bytes before the first zero.
void WriteText(OutputStream& stream, const char* text, std::int32_t width);
// The decimal form of value right-aligned in a field of width bytes.
inline void WriteNumber(OutputStream& stream, std::int32_t value, std::int32_t width)
{
    char digits[11];  // a sign and ten digits
    char* first = digits + sizeof digits;
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                        : static_cast<std::uint32_t>(value);
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--first = '-';
    WriteText(stream, std::string_view(first, static_cast<std::size_t>(digits + sizeof digits - first)), width);
}

// Whether the end of each statement sends what it wrote (a console), so
// that how writes are grouped into statements shows at the handle. Also
// true before the stream is open, when that is not known yet.
inline bool EachStatementIsSent(const OutputStream& stream)
{
    return !stream.open || stream.flushAtStatementEnd;
}

// Ends a statement: sends the buffer when standard output is a console.
inline void FlushOutput(OutputStream& stream)
{
    if (EachStatementIsSent(stream))
        EndStatementSlow(stream);
}

// CR LF, then FlushOutput.
inline void WriteLineBreak(OutputStream& stream)
{
    WriteText(stream, std::string_view("\r\n", 2), 0);
    FlushOutput(stream);
}

// At program end: sends whatever is still buffered.
void CloseStream(OutputStream& stream);
