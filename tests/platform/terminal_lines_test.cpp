#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "console/terminal_lines.h"

namespace {

struct LinesCase {
    const char* name;
    std::vector<std::optional<std::string>> raw;  // chunks from the terminal; nullopt: a failed read
    std::size_t size;                             // asked per Read
    std::vector<std::optional<std::string>> out;  // each Read's bytes; nullopt: the failure
    const char* codeset = nullptr;                // the terminal's set, when converted
};

void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }

class TerminalLinesRead : public testing::TestWithParam<LinesCase> {};

TEST_P(TerminalLinesRead, TurnsLfIntoCrLfInPiecesOfTheSizeAsked)
{
    const LinesCase& c = GetParam();
    TerminalLines lines;
    TerminalCharset charset;
    TerminalCharset* converted = c.codeset && charset.Open(c.codeset) ? &charset : nullptr;
    ASSERT_EQ(converted != nullptr, c.codeset != nullptr);
    std::size_t next = 0;
    auto readRaw = [&](char* raw, std::size_t n) -> ssize_t {
        EXPECT_LE(n, std::min(c.size, TerminalLines::RawLimit));
        if (next == c.raw.size())
            return 0;
        const std::optional<std::string>& chunk = c.raw[next++];
        if (!chunk)
            return -1;
        EXPECT_LE(chunk->size(), n);
        std::memcpy(raw, chunk->data(), chunk->size());
        return static_cast<ssize_t>(chunk->size());
    };
    char buffer[256];
    for (std::size_t i = 0; i < c.out.size(); ++i) {
        ssize_t got = lines.Read(buffer, c.size, readRaw, converted);
        if (!c.out[i]) {
            EXPECT_EQ(got, -1) << "read " << i;
        } else {
            ASSERT_GE(got, 0) << "read " << i;
            EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(got)), *c.out[i]) << "read " << i;
        }
    }
    EXPECT_EQ(lines.Read(buffer, c.size, readRaw, converted), 0);
    EXPECT_EQ(next, c.raw.size());
}

std::string Repeat(const std::string& s, int n)
{
    std::string all;
    for (int i = 0; i < n; ++i)
        all += s;
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, TerminalLinesRead,
    testing::Values(
        LinesCase{"OneLine", {"35\n"}, 128, {"35\r\n"}},
        LinesCase{"NoLineEnd", {"abc"}, 128, {"abc"}},
        LinesCase{"OneChunkPerRead", {"1\n", "22\n"}, 128, {"1\r\n", "22\r\n"}},
        LinesCase{"LineOf128Lfs", {std::string(128, '\n')}, 128, {Repeat("\r\n", 64), Repeat("\r\n", 64)}},
        LinesCase{"LfAfter127Bytes", {std::string(127, 'a') + "\n"}, 128, {std::string(127, 'a') + "\r", "\n"}},
        LinesCase{"SmallReads", {"35\n", "7\n"}, 3, {"35\r", "\n", "7\r\n"}},
        LinesCase{"FailureAfterWaitingBytes", {std::string(128, '\n'), std::nullopt, "8\n"}, 128,
                  {Repeat("\r\n", 64), Repeat("\r\n", 64), std::nullopt, "8\r\n"}},
        // Full-width digits typed in UTF-8, split between reads.
        LinesCase{"Utf8CharacterSplit", {"3\xEF\xBC", "\x95\n"}, 128, {"3", "\x82\x54\r\n"}, "UTF-8"},
        LinesCase{"Utf8ReadOfHalfACharacter", {"\xEF", "\xBC\x95\n"}, 128, {"\x82\x54\r\n"}, "UTF-8"},
        LinesCase{"Utf8UnfinishedAtTheEnd", {"\xEF\xBC"}, 128, {"\xEF\xBC"}, "UTF-8"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
