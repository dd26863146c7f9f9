// A terminal ends each typed line with LF alone, but the console input
// sees a line end only at CR. TerminalLines turns every LF of the raw
// bytes into CR LF and hands the result out in pieces no larger than the
// reader asks for; what does not fit waits for the next read. Given a
// TerminalCharset, it first turns the typed text into CP932.
#pragma once

#include <algorithm>
#include <cstddef>
#include <sys/types.h>

#include "console/terminal_charset.h"

class TerminalLines {
public:
    // Raw bytes taken from the terminal per read; converted, twice as many.
    static constexpr std::size_t RawLimit = 128;

    // Fills buffer with at most size converted bytes. Raw bytes come from
    // readRaw(raw, n) with n <= RawLimit, which returns their count, 0 at
    // the end of the data or -1 on failure; it is called only when no
    // converted byte is waiting, and its 0 or -1 is returned as it is
    // (after the typed bytes of a character left unfinished at the end).
    template <typename ReadRaw>
    ssize_t Read(char* buffer, std::size_t size, ReadRaw&& readRaw, TerminalCharset* charset = nullptr)
    {
        while (first_ == last_) {
            char raw[RawLimit];
            ssize_t got = readRaw(raw, std::min(size, RawLimit));
            if (got < 0 || (got == 0 && !charset))
                return got;
            auto count = static_cast<std::size_t>(got);
            if (!charset) {
                EndLines(raw, count);
                break;
            }
            char typed[TypedLimit];
            std::size_t n = charset->FromTerminal(raw, count, typed, count == 0);
            if (count == 0 && n == 0)
                return 0;
            EndLines(typed, n);
        }
        return static_cast<ssize_t>(Deliver(buffer, size));
    }

private:
    static constexpr std::size_t TypedLimit = 2 * (RawLimit + TerminalCharset::HeldLimit);

    void EndLines(const char* raw, std::size_t count);
    std::size_t Deliver(char* buffer, std::size_t size);

    char pending_[2 * TypedLimit];
    std::size_t first_ = 0, last_ = 0;
};
