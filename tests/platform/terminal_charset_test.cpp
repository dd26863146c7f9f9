#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "console/terminal_charset.h"

namespace {

// Glyphs in CP932 and in UTF-8.
#define SQUARE_CP932 "\x81\xA1"
#define SQUARE "\xE2\x96\xA0"
#define BLACK_CP932 "\x81\x9C"
#define BLACK "\xE2\x97\x8F"
#define DOT_CP932 "\x81\x45"
#define DOT "\xE3\x83\xBB"
#define A_CP932 "\x82\xA0"
#define A "\xE3\x81\x82"
#define REPLACEMENT "\xEF\xBF\xBD"

struct CharsetCase {
    const char* name;
    const char* codeset;
    bool padNarrow;
    std::vector<std::string> in;   // pieces, in order
    std::vector<std::string> out;  // each piece converted; one more: what is left at the end
};

void PrintTo(const CharsetCase& c, std::ostream* os) { *os << c.name; }

class Charset : public testing::TestWithParam<CharsetCase> {
protected:
    // The width of a character is the locale's.
    void SetUp() override { ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr); }
};

class ToTerminal : public Charset {};
class FromTerminal : public Charset {};

TEST_P(ToTerminal, ConvertsEachPiece)
{
    const CharsetCase& c = GetParam();
    TerminalCharset charset;
    ASSERT_TRUE(charset.Open(c.codeset));
    charset.PadNarrow(c.padNarrow);
    ASSERT_EQ(c.out.size(), c.in.size() + 1);
    for (std::size_t i = 0; i < c.in.size(); ++i) {
        std::string out(TerminalCharset::Growth * (c.in[i].size() + 1), '\0');
        out.resize(charset.ToTerminal(c.in[i].data(), c.in[i].size(), out.data()));
        EXPECT_EQ(out, c.out[i]) << "piece " << i;
    }
    char rest[TerminalCharset::Growth];
    EXPECT_EQ(std::string(rest, charset.FinishOutput(rest)), c.out.back());
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, ToTerminal,
    testing::Values(
        CharsetCase{"NarrowGlyphsGetASpace", "UTF-8", true,
                    {"30" DOT_CP932 SQUARE_CP932 BLACK_CP932 A_CP932 "\r\n"},
                    {"30" DOT " " SQUARE " " BLACK A "\r\n", ""}},
        CharsetCase{"WideGlyphsStayAsTheyAre", "UTF-8", false,
                    {SQUARE_CP932 BLACK_CP932}, {SQUARE BLACK, ""}},
        CharsetCase{"LeadByteWaitsForItsPair", "UTF-8", false,
                    {"ab\x82", "\xA0" "c", "\x81", "\x9C"}, {"ab", A "c", "", BLACK, ""}},
        CharsetCase{"LeadByteLeftAtTheEnd", "UTF-8", false, {"a\x82"}, {"a", REPLACEMENT}},
        CharsetCase{"LeadByteWithoutPair", "UTF-8", false, {"\x81\n", "\x82", "\n"},
                    {REPLACEMENT "\n", "", REPLACEMENT "\n", ""}},
        CharsetCase{"NotCp932", "UTF-8", true, {"\x80" "a\xFF\x85\x40"},
                    {REPLACEMENT "a" REPLACEMENT " " REPLACEMENT, ""}},
        CharsetCase{"NotInTheTerminalsSet", "ISO-8859-1", false, {"x" A_CP932 "y"}, {"x?y", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(FromTerminal, ConvertsTypedText)
{
    const CharsetCase& c = GetParam();
    TerminalCharset charset;
    ASSERT_TRUE(charset.Open(c.codeset));
    ASSERT_EQ(c.out.size(), c.in.size() + 1);
    for (std::size_t i = 0; i < c.in.size(); ++i) {
        std::string out(2 * (c.in[i].size() + TerminalCharset::HeldLimit), '\0');
        out.resize(charset.FromTerminal(c.in[i].data(), c.in[i].size(), out.data(), false));
        EXPECT_EQ(out, c.out[i]) << "piece " << i;
    }
    std::string out(2 * TerminalCharset::HeldLimit, '\0');
    out.resize(charset.FromTerminal("", 0, out.data(), true));
    EXPECT_EQ(out, c.out.back());
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, FromTerminal,
    testing::Values(
        CharsetCase{"FullWidthDigits", "UTF-8", false, {"\xEF\xBC\x93\xEF\xBC\x95\n"}, {"\x82\x52\x82\x54\n", ""}},
        CharsetCase{"CharacterSplitAcrossReads", "UTF-8", false, {"3\xEF\xBC", "\x95\n"},
                    {"3", "\x82\x54\n", ""}},
        CharsetCase{"NotUtf8PassesAsItCame", "UTF-8", false, {"\xFF" "5\xC3\n"}, {"\xFF" "5\xC3\n", ""}},
        CharsetCase{"NotInCp932PassesAsItCame", "UTF-8", false, {"\xF0\x9F\x98\x80" "5"},
                    {"\xF0\x9F\x98\x80" "5", ""}},
        CharsetCase{"UnfinishedAtTheEnd", "UTF-8", false, {"5\xE3\x81"}, {"5", "\xE3\x81"}},
        CharsetCase{"OneByteBecomesTwo", "ISO-8859-7", false, {"\xE1" "5"}, {"\x83\xBF" "5", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TerminalCharset, Cp932AndAsciiTerminalsAreNotConverted)
{
    for (const char* codeset : {"ANSI_X3.4-1968", "SHIFT_JIS", "CP932", "WINDOWS-31J", "no such set"}) {
        TerminalCharset charset;
        EXPECT_FALSE(charset.Open(codeset)) << codeset;
        EXPECT_FALSE(charset.Converts()) << codeset;
    }
}

// A locale that is not installed still names its set.
TEST(CodesetOfLocaleName, IsTheNameAfterTheDot)
{
    const char* cases[][2] = {{"xx_YY.UTF-8", "UTF-8"}, {"ja_JP.eucJP@cjknarrow", "eucJP"},
                              {"de_DE.utf8", "utf8"},   {"ja_JP", ""},
                              {"C", ""},                {"", ""}};
    for (auto [locale, codeset] : cases) {
        char found[32];
        CodesetOfLocaleName(locale, found, sizeof found);
        EXPECT_STREQ(found, codeset) << locale;
    }
    EXPECT_TRUE(NamesUtf8("utf8"));
    EXPECT_TRUE(NamesUtf8("UTF-8"));
    EXPECT_FALSE(NamesUtf8("UTF-16"));
    TerminalCharset charset;
    EXPECT_TRUE(charset.Open("eucJP"));
}

} // namespace
