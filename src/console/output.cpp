#include "console/output.h"

#include <algorithm>
#include <cstring>

#include "console/stream_result.h"

OutputStream ConsoleOutput;

namespace {

constexpr std::int32_t NotOpen = 105;
constexpr std::int32_t FlushWhileNotOpen = 103;

bool Open(OutputStream& s)
{
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE) {
        StreamResult = static_cast<std::int32_t>(GetLastError());
        return false;
    }
    DWORD type = GetFileType(handle);
    if (type == FILE_TYPE_UNKNOWN) {
        CloseHandle(handle);
        StreamResult = NotOpen;
        return false;
    }
    s.handle = handle;
    s.flushAtStatementEnd = (type == FILE_TYPE_CHAR);
    s.count = 0;
    s.open = true;
    return true;
}

// Sends the buffer in one platform write. The bytes are gone either way:
// a failed buffer is not kept for another attempt.
bool WriteOut(OutputStream& s)
{
    if (s.count == 0)
        return true;
    DWORD size = static_cast<DWORD>(s.count);
    DWORD written = 0;
    s.count = 0;
    if (!WriteFile(s.handle, s.buffer, size, &written, nullptr)) {
        StreamResult = static_cast<std::int32_t>(GetLastError());
        return false;
    }
    return true;
}

// Appends bytes, sending each buffer the moment it fills. False when a
// send failed; the caller then drops the rest of its write.
bool Append(OutputStream& s, const char* bytes, std::size_t length)
{
    while (length > 0) {
        std::size_t room = static_cast<std::size_t>(StreamBufferSize - s.count);
        std::size_t take = std::min(room, length);
        std::memcpy(s.buffer + s.count, bytes, take);
        s.count += static_cast<std::int32_t>(take);
        bytes += take;
        length -= take;
        if (s.count == StreamBufferSize && !WriteOut(s))
            return false;
    }
    return true;
}

bool AppendSpaces(OutputStream& s, std::int64_t count)
{
    static constexpr char Spaces[] = "                                ";
    constexpr std::int64_t Block = sizeof Spaces - 1;
    for (; count > 0; count -= Block)
        if (!Append(s, Spaces, static_cast<std::size_t>(std::min(count, Block))))
            return false;
    return true;
}

} // namespace

// One write: the padding and the text, dropped from the first failed send.
void PlaceText(OutputStream& s, std::string_view text, std::int32_t width)
{
    if (!s.open && !Open(s)) {
        StreamResult = NotOpen;
        return;
    }
    std::int64_t pad = static_cast<std::int64_t>(width) - static_cast<std::int64_t>(text.size());
    if (AppendSpaces(s, pad))
        Append(s, text.data(), text.size());
}

void WriteText(OutputStream& stream, const char* text, std::int32_t width)
{
    WriteText(stream, std::string_view(text, std::strlen(text)), width);
}

void EndStatementSlow(OutputStream& stream)
{
    if (!stream.open)
        StreamResult = FlushWhileNotOpen;
    else if (stream.flushAtStatementEnd)
        WriteOut(stream);
}

void CloseStream(OutputStream& stream)
{
    if (!stream.open)
        StreamResult = FlushWhileNotOpen;
    else
        WriteOut(stream);
}
