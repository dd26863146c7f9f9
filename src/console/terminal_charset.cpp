#include "console/terminal_charset.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cwchar>

namespace {

constexpr std::size_t Failed = static_cast<std::size_t>(-1);

bool IsLead(char c)
{
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrail(char c)
{
    auto b = static_cast<unsigned char>(c);
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// A set's name in upper case without hyphens and underscores, the way
// its spellings agree.
struct SetName {
    char text[32];
    explicit SetName(const char* codeset)
    {
        std::size_t n = 0;
        for (const char* c = codeset; *c && n + 1 < sizeof text; ++c)
            if (*c != '-' && *c != '_')
                text[n++] = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
        text[n] = '\0';
    }
};

// Sets whose bytes the terminal shows as they are: CP932 under its other
// names, and plain ASCII (the C locale), where nothing better can be done.
bool PassesUnchanged(const char* codeset)
{
    SetName name(codeset);
    for (const char* same : {"", "ANSIX3.41968", "ASCII", "USASCII", "SHIFTJIS", "SJIS", "CP932",
                             "WINDOWS31J", "MSKANJI", "PCK"})
        if (std::strcmp(name.text, same) == 0)
            return true;
    return false;
}

std::size_t Convert(iconv_t cd, const char* in, std::size_t size, char* out, std::size_t room)
{
    char* source = const_cast<char*>(in);
    char* target = out;
    if (iconv(cd, &source, &size, &target, &room) == Failed || size != 0) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return Failed;
    }
    return static_cast<std::size_t>(target - out);
}

// Whether the terminal's locale gives a character one column.
bool DrawnNarrow(const char* glyph, std::size_t size)
{
    std::mbstate_t state{};
    wchar_t wide = 0;
    std::size_t used = std::mbrtowc(&wide, glyph, size, &state);
    return used != 0 && used <= size && wcwidth(wide) == 1;
}

} // namespace

void CodesetOfLocaleName(const char* locale, char* codeset, std::size_t size)
{
    const char* dot = std::strchr(locale, '.');
    std::size_t n = dot == nullptr ? 0 : std::min(std::strcspn(dot + 1, "@"), size - 1);
    if (n > 0)
        std::memcpy(codeset, dot + 1, n);
    codeset[n] = '\0';
}

bool NamesUtf8(const char* codeset) { return std::strcmp(SetName(codeset).text, "UTF8") == 0; }

TerminalCharset::~TerminalCharset() { Close(); }

void TerminalCharset::Close()
{
    if (toTerminal_ != Closed())
        iconv_close(toTerminal_);
    if (fromTerminal_ != Closed())
        iconv_close(fromTerminal_);
    toTerminal_ = fromTerminal_ = Closed();
}

bool TerminalCharset::Open(const char* codeset)
{
    if (PassesUnchanged(codeset))
        return false;
    toTerminal_ = iconv_open(codeset, "CP932");
    fromTerminal_ = iconv_open("CP932", codeset);
    if (toTerminal_ == Closed() || fromTerminal_ == Closed()) {
        Close();
        return false;
    }
    // U+FFFD where the set has it, else "?".
    iconv_t fromUtf8 = iconv_open(codeset, "UTF-8");
    if (fromUtf8 != Closed()) {
        std::size_t n = Convert(fromUtf8, "\xEF\xBF\xBD", 3, replacement_, Growth);
        if (n != Failed)
            replacementSize_ = n;
        iconv_close(fromUtf8);
    }
    return true;
}

void TerminalCharset::PutCharacter(const char* in, std::size_t size, char*& out)
{
    if (size == 1 && static_cast<unsigned char>(in[0]) < 0x80) {
        *out++ = in[0];
        return;
    }
    char glyph[Growth];
    std::size_t n = Convert(toTerminal_, in, size, glyph, sizeof glyph);
    if (n == Failed) {
        std::memcpy(glyph, replacement_, replacementSize_);
        n = replacementSize_;
    }
    if (size == 2 && padNarrow_ && DrawnNarrow(glyph, n))
        *out++ = ' ';
    std::memcpy(out, glyph, n);
    out += n;
}

std::size_t TerminalCharset::ToTerminal(const char* in, std::size_t size, char* out)
{
    char* start = out;
    std::size_t i = 0;
    if (holdsLead_ && size > 0) {
        holdsLead_ = false;
        if (IsTrail(in[0])) {
            const char pair[2] = {heldLead_, in[0]};
            PutCharacter(pair, 2, out);
            i = 1;
        } else {
            PutCharacter(&heldLead_, 1, out);
        }
    }
    while (i < size) {
        std::size_t n = 1;
        if (IsLead(in[i])) {
            if (i + 1 == size) {
                heldLead_ = in[i];
                holdsLead_ = true;
                break;
            }
            if (IsTrail(in[i + 1]))
                n = 2;
        }
        PutCharacter(in + i, n, out);
        i += n;
    }
    return static_cast<std::size_t>(out - start);
}

std::size_t TerminalCharset::FinishOutput(char* out)
{
    char* start = out;
    if (holdsLead_)
        PutCharacter(&heldLead_, 1, out);
    holdsLead_ = false;
    return static_cast<std::size_t>(out - start);
}

std::size_t TerminalCharset::ConvertTyped(char* in, std::size_t size, char* out, bool atEnd)
{
    char* target = out;
    std::size_t room = 2 * size;
    while (size > 0) {
        if (iconv(fromTerminal_, &in, &size, &target, &room) != Failed)
            break;
        if (errno == E2BIG)
            break;  // cannot happen: no character grows more than twofold
        iconv(fromTerminal_, nullptr, nullptr, nullptr, nullptr);
        if (errno == EINVAL && !atEnd && size < HeldLimit) {
            std::memcpy(heldTyped_, in, size);
            heldTypedSize_ = size;
            break;
        }
        // Not text in the terminal's set, or not text in CP932: as it came.
        *target++ = *in++;
        --size;
        --room;
    }
    return static_cast<std::size_t>(target - out);
}

std::size_t TerminalCharset::FromTerminal(const char* in, std::size_t size, char* out, bool atEnd)
{
    char* target = out;
    do {
        char work[HeldLimit + PieceLimit];
        std::size_t take = std::min(size, PieceLimit);
        std::memcpy(work, heldTyped_, heldTypedSize_);
        std::memcpy(work + heldTypedSize_, in, take);
        std::size_t count = heldTypedSize_ + take;
        heldTypedSize_ = 0;
        in += take;
        size -= take;
        target += ConvertTyped(work, count, target, atEnd && size == 0);
    } while (size > 0);
    return static_cast<std::size_t>(target - out);
}
