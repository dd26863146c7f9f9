// The game speaks CP932; a terminal shows and sends text in its locale's
// character set. TerminalCharset converts between the two with iconv.
//
// Out to the terminal: a lead byte at the end of one piece waits for its
// second byte in the next; a character the terminal's set cannot show
// becomes one replacement; on a terminal that draws ambiguous-width
// characters one column wide, a space goes before each double-byte
// character drawn narrow, so that it still fills its two columns and
// stands on the second of them. In from the terminal: typed text becomes
// CP932, bytes that are not text in the terminal's set pass as they came.
//
// Nothing here allocates after Open.
#pragma once

#include <cstddef>
#include <iconv.h>

class TerminalCharset {
public:
    // Bytes ToTerminal may produce per byte it is given (the held one included).
    static constexpr std::size_t Growth = 4;
    // Typed bytes of an unfinished character kept for the next piece.
    static constexpr std::size_t HeldLimit = 8;
    // Typed bytes converted in one go.
    static constexpr std::size_t PieceLimit = 128;

    TerminalCharset() = default;
    TerminalCharset(const TerminalCharset&) = delete;
    TerminalCharset& operator=(const TerminalCharset&) = delete;
    ~TerminalCharset();

    // Prepares the conversions for a codeset as nl_langinfo(CODESET) names
    // it. False when there is nothing to convert (CP932 itself, plain
    // ASCII) or iconv does not know the set; the bytes then pass unchanged.
    bool Open(const char* codeset);
    bool Converts() const { return toTerminal_ != Closed(); }
    void PadNarrow(bool pad) { padNarrow_ = pad; }

    // Converts CP932 bytes into out, which has room for Growth * (size + 1)
    // bytes; returns the count written.
    std::size_t ToTerminal(const char* in, std::size_t size, char* out);
    // The replacement for a lead byte still held at the end of the output.
    std::size_t FinishOutput(char* out);

    // Converts typed bytes into out, which has room for 2 * (size +
    // HeldLimit) bytes; returns the count written. An unfinished character
    // at the end is kept for the next call, or passed as it is when atEnd.
    std::size_t FromTerminal(const char* in, std::size_t size, char* out, bool atEnd);

private:
    static iconv_t Closed() { return reinterpret_cast<iconv_t>(-1); }

    void Close();
    void PutCharacter(const char* in, std::size_t size, char*& out);
    std::size_t ConvertTyped(char* in, std::size_t size, char* out, bool atEnd);

    iconv_t toTerminal_ = Closed(), fromTerminal_ = Closed();
    bool padNarrow_ = false;
    char replacement_[8] = {'?'};
    std::size_t replacementSize_ = 1;
    char heldLead_ = 0;
    bool holdsLead_ = false;
    char heldTyped_[HeldLimit];
    std::size_t heldTypedSize_ = 0;
};

// The character set named after the dot of a locale's name, without an
// "@" modifier: "xx_YY.UTF-8@euro" gives "UTF-8"; empty when the name has
// none, as "C" and "POSIX" have not. codeset has room for size bytes.
void CodesetOfLocaleName(const char* locale, char* codeset, std::size_t size);
// Whether a set's name is UTF-8's, case, hyphens and underscores aside.
bool NamesUtf8(const char* codeset);
