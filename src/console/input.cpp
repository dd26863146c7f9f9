#include "console/input.h"

#include <new>

#include "console/exceptions.h"
#include "console/stream_result.h"

InputStream ConsoleInput;

namespace {

constexpr std::int32_t NotOpen = 104;
constexpr std::int32_t NotANumber = 106;
constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr int TokenLimit = 32;

bool Open(InputStream& s)
{
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE) {
        StreamResult = static_cast<std::int32_t>(GetLastError());
        return false;
    }
    s.handle = handle;
    s.count = s.position = 0;
    s.open = true;
    return true;
}

// One platform read into the emptied buffer. The end of the data (and a
// broken pipe) leaves EndMarker as the next byte, so the platform is not
// asked again; any other failure leaves the buffer empty for a retry.
bool Refill(InputStream& s)
{
    DWORD got = 0;
    if (!ReadFile(s.handle, s.buffer, StreamBufferSize, &got, nullptr)) {
        DWORD error = GetLastError();
        if (error != ERROR_BROKEN_PIPE) {
            StreamResult = static_cast<std::int32_t>(error);
            return false;
        }
        got = 0;
    }
    if (got == 0) {
        s.buffer[0] = EndMarker;
        got = 1;
    }
    s.count = static_cast<std::int32_t>(got);
    s.position = 0;
    return true;
}

// A stream that can be read from, with at least one unread byte.
bool Ready(InputStream& s)
{
    if (!s.open && !Open(s)) {
        StreamResult = NotOpen;
        return false;
    }
    return s.position < s.count || Refill(s);
}

unsigned char Peek(InputStream& s)
{
    return Ready(s) ? s.buffer[s.position] : EndMarker;
}

void Consume(InputStream& s)
{
    if (s.buffer[s.position] != EndMarker)
        ++s.position;
}

bool IsBlank(unsigned char b) { return b <= 0x20 && b != EndMarker; }

int DigitValue(unsigned char b, int base)
{
    int v = b >= '0' && b <= '9' ? b - '0'
          : b >= 'a' && b <= 'f' ? b - 'a' + 10
          : b >= 'A' && b <= 'F' ? b - 'A' + 10
          : 99;
    return v < base ? v : -1;
}

// Decimal with an optional sign, or hexadecimal after $, x, X or 0x/0X.
bool ParseNumber(const unsigned char* t, int n, std::int32_t& result)
{
    bool negative = false, hex = false;
    int i = 0;
    if (t[0] == '-')
        negative = true, i = 1;
    else if (t[0] == '+')
        i = 1;
    else if (t[0] == '$' || t[0] == 'x' || t[0] == 'X')
        hex = true, i = 1;
    else if (t[0] == '0' && n > 1 && (t[1] == 'x' || t[1] == 'X'))
        hex = true, i = 2;
    if (i == n)
        return false;

    std::uint32_t value = 0;
    for (; i < n; ++i) {
        int digit = DigitValue(t[i], hex ? 16 : 10);
        if (digit < 0 || value > (hex ? 0x0FFFFFFFu : 214748364u))
            return false;
        value = value * (hex ? 16u : 10u) + static_cast<std::uint32_t>(digit);
    }
    if (!hex && value > (negative ? 2147483648u : 2147483647u))
        return false;
    result = static_cast<std::int32_t>(negative ? 0u - value : value);
    return true;
}

} // namespace

unsigned char ReadCharacter(InputStream& stream)
{
    unsigned char b = Peek(stream);
    if (b != EndMarker)
        ++stream.position;
    return b;
}

std::int32_t ReadNumber(InputStream& stream)
{
    unsigned char b;
    while (IsBlank(b = Peek(stream)))
        Consume(stream);
    if (b == EndMarker)
        return 0;

    unsigned char token[TokenLimit];
    int length = 0;
    while (length < TokenLimit && (b = Peek(stream)) > 0x20) {
        token[length++] = b;
        Consume(stream);
    }
    std::int32_t value = 0;
    if (!ParseNumber(token, length, value))
        StreamResult = NotANumber;
    return value;
}

void SkipLine(InputStream& stream)
{
    for (;;) {
        unsigned char b = ReadCharacter(stream);
        if (b == EndMarker)
            return;
        if (b == CR)
            break;
    }
    if (Peek(stream) == LF)
        Consume(stream);
}

void ReadLineText(InputStream& stream, std::string& text)
{
    text.clear();
    while (Ready(stream)) {
        const unsigned char* first = stream.buffer + stream.position;
        const unsigned char* last = stream.buffer + stream.count;
        const unsigned char* stop = first;
        while (stop != last && *stop != CR && *stop != EndMarker)
            ++stop;
        try {
            text.append(reinterpret_cast<const char*>(first), static_cast<std::size_t>(stop - first));
        } catch (const std::bad_alloc&) {
            std::string().swap(text);  // give the memory back for the report
            RaiseOutOfMemory();
        }
        stream.position = static_cast<std::int32_t>(stop - stream.buffer);
        if (stop != last)
            return;
    }
}

unsigned char UpperCaseLetter(unsigned char b)
{
    return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 0x20) : b;
}

bool TextEquals(std::string_view a, std::string_view b)
{
    return a == b;
}

void CloseStream(InputStream&) {}
