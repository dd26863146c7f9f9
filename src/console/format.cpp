#include "console/format.h"

#include <algorithm>
#include <cstring>

namespace {

struct Sink {
    char* out;
    std::size_t room;  // bytes that still fit before the terminating zero
    std::size_t length = 0;

    void Put(std::string_view s)
    {
        std::size_t take = std::min(s.size(), room - length);
        std::memcpy(out + length, s.data(), take);
        length += take;
    }
};

std::string_view Decimal(std::int64_t n, char (&digits)[24])
{
    char* first = digits + sizeof digits;
    std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0)
        *--first = '-';
    return {first, static_cast<std::size_t>(digits + sizeof digits - first)};
}

std::string_view Hex8(std::uintptr_t a, char (&digits)[24])
{
    for (int i = 7; i >= 0; --i, a >>= 4)
        digits[i] = "0123456789ABCDEF"[a & 15];
    return {digits, 8};
}

} // namespace

std::size_t FormatText(char* out, std::size_t capacity, std::string_view pattern,
                       std::initializer_list<FormatArg> args)
{
    if (capacity == 0)
        return 0;
    Sink sink{out, capacity - 1};
    const FormatArg* next = args.begin();
    char digits[24];
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        char conversion = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c != '%' || (conversion != 's' && conversion != 'd' && conversion != 'p') || next == args.end()) {
            sink.Put({&pattern[i], 1});
            continue;
        }
        ++i;
        const FormatArg& arg = *next++;
        switch (arg.kind) {
        case FormatArg::Text: sink.Put(arg.text); break;
        case FormatArg::Number: sink.Put(Decimal(arg.number, digits)); break;
        case FormatArg::Address: sink.Put(Hex8(arg.address, digits)); break;
        }
    }
    out[sink.length] = '\0';
    return sink.length;
}
