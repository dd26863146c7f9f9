#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "alloc_count.h"
#include "console/input.h"
#include "console/stream_result.h"
#include "fake_platform.h"

namespace {

constexpr unsigned char CR = 0x0D;

struct NumberCase {
    std::string input;
    std::int32_t value;  // checked only when the token is a number
    std::int32_t code;
    unsigned char next;  // the byte left for the next read
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << testing::PrintToString(c.input); }

class ReadNumberToken : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberToken, GivesTheValueOr106)
{
    const NumberCase& c = GetParam();
    ResetAll();
    ScriptInput({c.input});
    std::int32_t value = ReadNumber(ConsoleInput);
    EXPECT_EQ(StreamResult, c.code);
    if (c.code == 0) {
        EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(ReadCharacter(ConsoleInput), c.next);
}

const std::string Zeros40(40, '0');

INSTANTIATE_TEST_SUITE_P(
    Tokens, ReadNumberToken,
    testing::Values(
        // Blanks before the token, and what ends it.
        NumberCase{"  42\r\n", 42, 0, CR}, NumberCase{"\r\n\r\n7\r\n", 7, 0, CR},
        NumberCase{"12 34\r\n", 12, 0, ' '}, NumberCase{std::string("\t\0\x01 9;", 6), 0, 106, EndMarker},
        NumberCase{std::string("\t\0\x01 9\n", 6), 9, 0, '\n'}, NumberCase{"5", 5, 0, EndMarker},
        NumberCase{"", 0, 0, EndMarker}, NumberCase{"\r\n \r\n", 0, 0, EndMarker},
        NumberCase{"5\x1A" "6", 5, 0, EndMarker}, NumberCase{"\x1A" "5", 0, 0, EndMarker},
        // Decimal limits and signs.
        NumberCase{"2147483647", INT_MAX, 0, EndMarker}, NumberCase{"-2147483648", INT_MIN, 0, EndMarker},
        NumberCase{"2147483648", 0, 106, EndMarker}, NumberCase{"-2147483649", 0, 106, EndMarker},
        NumberCase{"12345678901", 0, 106, EndMarker}, NumberCase{"21474836470", 0, 106, EndMarker},
        NumberCase{"00000000002147483647", INT_MAX, 0, EndMarker}, NumberCase{"+5", 5, 0, EndMarker},
        NumberCase{"0", 0, 0, EndMarker}, NumberCase{"00", 0, 0, EndMarker}, NumberCase{"-0", 0, 0, EndMarker},
        NumberCase{"12abc", 0, 106, EndMarker}, NumberCase{"1e2", 0, 106, EndMarker},
        NumberCase{"-", 0, 106, EndMarker}, NumberCase{"+", 0, 106, EndMarker},
        NumberCase{"--1", 0, 106, EndMarker}, NumberCase{"\x82\x50\x82\x4F", 0, 106, EndMarker},
        // Hexadecimal forms and limits.
        NumberCase{"$63", 99, 0, EndMarker}, NumberCase{"x63", 99, 0, EndMarker},
        NumberCase{"X63", 99, 0, EndMarker}, NumberCase{"0x63", 99, 0, EndMarker},
        NumberCase{"0X63", 99, 0, EndMarker}, NumberCase{"$aBcD", 0xABCD, 0, EndMarker},
        NumberCase{"$FFFFFFFF", -1, 0, EndMarker}, NumberCase{"$80000000", INT_MIN, 0, EndMarker},
        NumberCase{"$0FFFFFFFF", -1, 0, EndMarker}, NumberCase{"$100000000", 0, 106, EndMarker},
        NumberCase{"$", 0, 106, EndMarker}, NumberCase{"0x", 0, 106, EndMarker},
        NumberCase{"x", 0, 106, EndMarker}, NumberCase{"$G", 0, 106, EndMarker},
        NumberCase{"0x1g", 0, 106, EndMarker}, NumberCase{"-$1", 0, 106, EndMarker},
        NumberCase{"+0x10", 0, 106, EndMarker}, NumberCase{"-1f", 0, 106, EndMarker},
        // The token ends after 32 bytes; the rest stays.
        NumberCase{Zeros40 + "5", 0, 0, '0'}, NumberCase{std::string(32, '1') + " ", 0, 106, ' '}));

TEST(ReadNumber, TokensSpanRefills)
{
    ResetAll();
    ScriptInput({"1", "2", "3\r", "\n", std::string(126, ' ') + "45678\r\n"});
    EXPECT_EQ(ReadNumber(ConsoleInput), 123);
    SkipLine(ConsoleInput);
    EXPECT_EQ(ReadNumber(ConsoleInput), 45678);
    EXPECT_EQ(StreamResult, 0);
    EXPECT_EQ(ReadCharacter(ConsoleInput), CR);
}

struct SkipCase {
    std::string input;
    std::string rest;  // every byte after one SkipLine
};

void PrintTo(const SkipCase& c, std::ostream* os) { *os << testing::PrintToString(c.input); }

class SkipLineInput : public testing::TestWithParam<SkipCase> {};

TEST_P(SkipLineInput, MovesPastTheNextCr)
{
    const SkipCase& c = GetParam();
    ResetAll();
    ScriptInput({c.input});
    SkipLine(ConsoleInput);
    std::string rest;
    for (unsigned char b; (b = ReadCharacter(ConsoleInput)) != EndMarker;)
        rest += static_cast<char>(b);
    EXPECT_EQ(rest, c.rest);
    EXPECT_EQ(StreamResult, 0);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, SkipLineInput,
                         testing::Values(SkipCase{"abc\r\nnext", "next"}, SkipCase{"abc\rnext", "next"},
                                         SkipCase{"\r\r\nx", "\r\nx"}, SkipCase{"a\r\n\r\nb", "\r\nb"},
                                         SkipCase{"a\nb\nc", ""}, SkipCase{"a\nb\r\nc", "c"},
                                         SkipCase{"abc\r", ""}, SkipCase{"ab\x1A\r\nc", ""},
                                         SkipCase{"abc\r\x1A\n", ""}, SkipCase{"", ""}));

TEST(ReadCharacter, GivesEveryByteAndConsumesItButEndMarker)
{
    ResetAll();
    ScriptInput({"\r\nab\r\ncd\r\n"});
    EXPECT_EQ(ReadCharacter(ConsoleInput), CR);
    SkipLine(ConsoleInput);  // the LF, then the whole next line
    EXPECT_EQ(ReadCharacter(ConsoleInput), 'c');
    EXPECT_EQ(ReadCharacter(ConsoleInput), 'd');
    EXPECT_EQ(ReadCharacter(ConsoleInput), CR);
    EXPECT_EQ(ReadCharacter(ConsoleInput), '\n');
    EXPECT_EQ(ReadCharacter(ConsoleInput), EndMarker);
    EXPECT_EQ(ReadCharacter(ConsoleInput), EndMarker);
}

struct LineCase {
    std::vector<std::string> reads;
    std::string text;
    unsigned char next;
    int readCalls;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << testing::PrintToString(c.reads); }

class ReadLineInput : public testing::TestWithParam<LineCase> {};

TEST_P(ReadLineInput, TakesTheBytesUpToCr)
{
    const LineCase& c = GetParam();
    ResetAll();
    for (const std::string& r : c.reads)
        ScriptInput({r});
    std::string text = "old";
    ReadLineText(ConsoleInput, text);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(ReadCharacter(ConsoleInput), c.next);
    EXPECT_EQ(Fake.readCalls, c.readCalls);
    EXPECT_EQ(StreamResult, 0);
}

const std::string Line300 = [] {
    std::string s;
    for (int i = 0; i < 300; ++i)
        s += static_cast<char>('a' + i % 26);
    return s;
}();

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadLineInput,
    testing::Values(LineCase{{"n\r\n"}, "n", CR, 1}, LineCase{{"\r\n"}, "", CR, 1},
                    // 128-byte pieces: 128 + 128 + 46, the CR in the last.
                    LineCase{{Line300 + "\r\n"}, Line300, CR, 3},
                    LineCase{{"a\nb\n", "c"}, "a\nb\nc", EndMarker, 3},
                    LineCase{{"ab\x1A" "cd\r\n", "more"}, "ab", EndMarker, 1}, LineCase{{}, "", EndMarker, 1},
                    LineCase{{"no line end"}, "no line end", EndMarker, 2}));

// Once the data has ended, or a 0x1A has arrived, every read answers at
// once and the platform is never asked again.
class EndedInput : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(EndedInput, StaysEndedForGood)
{
    ResetAll();
    for (const std::string& r : GetParam())
        ScriptInput({r});
    std::string line = "x";
    ReadLineText(ConsoleInput, line);
    int calls = Fake.readCalls;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ReadNumber(ConsoleInput), 0);
        EXPECT_EQ(ReadCharacter(ConsoleInput), EndMarker);
        SkipLine(ConsoleInput);
        ReadLineText(ConsoleInput, line);
        EXPECT_EQ(line, "");
    }
    EXPECT_EQ(Fake.readCalls, calls);
    EXPECT_EQ(StreamResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Ends, EndedInput,
                         testing::Values(std::vector<std::string>{},
                                         std::vector<std::string>{"line\x1A" "7\r\n", "8\r\n"},
                                         std::vector<std::string>{"\x1A"}));

TEST(ReadFailure, StoresItsCodeAndAsksAgainNextTime)
{
    ResetAll();
    Fake.reads.push_back({"", 5});
    Fake.reads.push_back({"", 31});
    ScriptInput({"7\r\n"});
    EXPECT_EQ(ReadNumber(ConsoleInput), 0);
    EXPECT_EQ(StreamResult, 5);
    EXPECT_EQ(ReadCharacter(ConsoleInput), EndMarker);
    EXPECT_EQ(StreamResult, 31);
    EXPECT_EQ(ReadNumber(ConsoleInput), 7);
    EXPECT_EQ(Fake.readCalls, 3);
}

TEST(ReadFailure, BrokenPipeIsTheEndOfTheInput)
{
    ResetAll();
    Fake.reads.push_back({"", ERROR_BROKEN_PIPE});
    ScriptInput({"7\r\n"});
    EXPECT_EQ(ReadNumber(ConsoleInput), 0);
    EXPECT_EQ(ReadCharacter(ConsoleInput), EndMarker);
    EXPECT_EQ(StreamResult, 0);
    EXPECT_EQ(Fake.readCalls, 1);
}

TEST(ClosedInput, EveryReadStores104AndTheNextTriesAgain)
{
    ResetAll();
    Fake.stdinValid = false;
    std::string line = "x";
    EXPECT_EQ(ReadNumber(ConsoleInput), 0);
    EXPECT_EQ(StreamResult, 104);
    StreamResult = 0;
    EXPECT_EQ(ReadCharacter(ConsoleInput), EndMarker);
    EXPECT_EQ(StreamResult, 104);
    StreamResult = 0;
    SkipLine(ConsoleInput);
    EXPECT_EQ(StreamResult, 104);
    StreamResult = 0;
    ReadLineText(ConsoleInput, line);
    EXPECT_EQ(line, "");
    EXPECT_EQ(StreamResult, 104);
    EXPECT_EQ(Fake.readCalls, 0);

    Fake.stdinValid = true;
    StreamResult = 0;
    ScriptInput({"5\r\n"});
    EXPECT_EQ(ReadNumber(ConsoleInput), 5);
    EXPECT_EQ(StreamResult, 0);
}

TEST(ReadNumber, AllocatesNothing)
{
    ResetAll();
    std::string script;
    for (int i = 0; i < 500; ++i)
        script += "  $" + std::to_string(i) + " rest of the line\r\n-" + std::to_string(i * 7919) + "\r\n";
    ScriptInput({script});
    std::size_t before = AllocationCount();
    std::int64_t sum = 0;
    for (int i = 0; i < 1000; ++i) {
        sum += ReadNumber(ConsoleInput);
        SkipLine(ConsoleInput);
    }
    EXPECT_EQ(AllocationCount() - before, 0u);
    EXPECT_EQ(StreamResult, 0);
    EXPECT_NE(sum, 0);
}

TEST(UpperCaseLetter, ChangesOnlyLowerCaseAsciiLetters)
{
    for (int b = 0; b < 256; ++b) {
        unsigned char expected = b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 0x20) : static_cast<unsigned char>(b);
        EXPECT_EQ(UpperCaseLetter(static_cast<unsigned char>(b)), expected) << b;
    }
}

TEST(TextEquals, ComparesWholeTextsByteForByte)
{
    struct Case {
        std::string_view a, b;
        bool equal;
    };
    for (const Case& c : {Case{"n", "n", true}, Case{"N", "n", false}, Case{"n ", "n", false},
                          Case{"no", "n", false}, Case{"", "n", false}, Case{"", "", true},
                          Case{std::string_view("n\0", 2), "n", false}})
        EXPECT_EQ(TextEquals(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

} // namespace
