#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "alloc_count.h"
#include "console/output.h"
#include "console/random.h"
#include "console/stream_result.h"
#include "fake_platform.h"
#include "game/board.h"
#include "game/draw.h"

namespace {

std::string Spaces(std::size_t n) { return std::string(n, ' '); }

// Writes one field to a fresh pipe and returns everything that reached it.
template <typename Write>
std::string Written(Write write)
{
    ResetAll();
    write();
    CloseStream(ConsoleOutput);
    EXPECT_EQ(StreamResult, 0);
    return Fake.Output();
}

struct NumberCase {
    std::int32_t value;
    std::int32_t width;
    std::string expected;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.value << " in " << c.width; }

class WriteNumberField : public testing::TestWithParam<NumberCase> {};

TEST_P(WriteNumberField, RightAlignsTheDecimalForm)
{
    const NumberCase& c = GetParam();
    EXPECT_EQ(Written([&] { WriteNumber(ConsoleOutput, c.value, c.width); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, WriteNumberField,
                         testing::Values(NumberCase{5, 2, " 5"}, NumberCase{10, 2, "10"},
                                         NumberCase{123, 2, "123"}, NumberCase{-5, 3, " -5"},
                                         NumberCase{-5, 0, "-5"}, NumberCase{0, 0, "0"},
                                         NumberCase{90, 20, Spaces(18) + "90"},
                                         NumberCase{7, 40, Spaces(39) + "7"},
                                         NumberCase{INT_MIN, 0, "-2147483648"},
                                         NumberCase{INT_MAX, 11, " 2147483647"},
                                         NumberCase{8, -3, "8"},
                                         NumberCase{1, 300, Spaces(299) + "1"}));

struct TextCase {
    std::string text;
    std::int32_t width;
    std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << testing::PrintToString(c.text) << " in " << c.width; }

class WriteTextField : public testing::TestWithParam<TextCase> {};

TEST_P(WriteTextField, RightAlignsWithoutCutting)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(Written([&] { WriteText(ConsoleOutput, std::string_view(c.text), c.width); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, WriteTextField,
                         testing::Values(TextCase{"", 22, Spaces(22)}, TextCase{"ab", 1, "ab"},
                                         TextCase{"\x81\x9C", 0, "\x81\x9C"},
                                         TextCase{"\x81\x9C", 3, " \x81\x9C"},
                                         TextCase{"", 0, ""}, TextCase{"abc", -1, "abc"}));

TEST(WriteText, ZeroTerminatedTextEndsAtItsFirstZero)
{
    EXPECT_EQ(Written([] { WriteText(ConsoleOutput, "ab\0cd", 4); }), "  ab");
}

TEST(WriteLineBreak, IsCrLf)
{
    EXPECT_EQ(Written([] { WriteLineBreak(ConsoleOutput); }), "\r\n");
}

// The same statements, mixing every kind of write and both statement ends,
// on each kind of handle; more than two buffers' worth in all.
void WriteStatements()
{
    for (int i = 0; i < 12; ++i) {
        WriteText(ConsoleOutput, "row", 0);
        WriteNumber(ConsoleOutput, i, 4);
        WriteText(ConsoleOutput, "", 6);
        if (i % 2)
            WriteLineBreak(ConsoleOutput);
        else
            FlushOutput(ConsoleOutput);
    }
}

std::string StatementText(int i)
{
    std::string n = std::to_string(i);
    return "row" + Spaces(4 - n.size()) + n + Spaces(6) + (i % 2 ? "\r\n" : "");
}

class RedirectedOutput : public testing::TestWithParam<DWORD> {};

TEST_P(RedirectedOutput, LeavesInFull128BytePiecesAndTheRestAtClose)
{
    ResetAll();
    Fake.stdoutType = GetParam();
    std::string expected;
    for (int i = 0; i < 12; ++i)
        expected += StatementText(i);

    WriteStatements();
    std::size_t full = expected.size() / 128;
    ASSERT_EQ(Fake.writes.size(), full);
    for (const std::string& w : Fake.writes)
        EXPECT_EQ(w.size(), 128u);

    CloseStream(ConsoleOutput);
    ASSERT_EQ(Fake.writes.size(), full + 1);
    EXPECT_EQ(Fake.writes.back().size(), expected.size() % 128);
    EXPECT_EQ(Fake.Output(), expected);
    EXPECT_EQ(StreamResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RedirectedOutput, testing::Values(FILE_TYPE_PIPE, FILE_TYPE_DISK));

TEST(ConsoleOutput, EachStatementLeavesWhenItEnds)
{
    ResetAll();
    Fake.stdoutType = FILE_TYPE_CHAR;
    WriteStatements();
    ASSERT_EQ(Fake.writes.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(Fake.writes[i], StatementText(i)) << "statement " << i;
    CloseStream(ConsoleOutput);
    EXPECT_EQ(Fake.writes.size(), 12u);
}

// A statement that fills the buffer exactly sends it at once, and its end
// then finds nothing to send, on every kind of handle.
class FullBuffer : public testing::TestWithParam<DWORD> {};

TEST_P(FullBuffer, LeavesTheMomentItIsFull)
{
    ResetAll();
    Fake.stdoutType = GetParam();
    WriteText(ConsoleOutput, std::string(100, 'a'), 0);
    WriteNumber(ConsoleOutput, 5, 28);
    ASSERT_EQ(Fake.writes.size(), 1u);
    EXPECT_EQ(Fake.writes[0], std::string(100, 'a') + Spaces(27) + "5");
    FlushOutput(ConsoleOutput);
    CloseStream(ConsoleOutput);
    EXPECT_EQ(Fake.writes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FullBuffer, testing::Values(FILE_TYPE_CHAR, FILE_TYPE_PIPE, FILE_TYPE_DISK));

// Standard output that cannot be opened: every write tries again and
// records 105; the end of the statement records 103.
struct OpenFailure {
    const char* name;
    bool valid;
    DWORD type;
    int closesPerWrite;
};

void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }

class UnusableOutput : public testing::TestWithParam<OpenFailure> {};

TEST_P(UnusableOutput, EachWriteRecords105AndTheFlush103)
{
    const OpenFailure& c = GetParam();
    ResetAll();
    Fake.stdoutValid = c.valid;
    Fake.stdoutType = c.type;
    Fake.stdoutOpenError = 6;

    WriteText(ConsoleOutput, "", 0);
    EXPECT_EQ(StreamResult, 105);
    StreamResult = 0;
    WriteNumber(ConsoleOutput, 1, 3);
    EXPECT_EQ(StreamResult, 105);
    EXPECT_EQ(Fake.closeHandleCalls, 2 * c.closesPerWrite);
    FlushOutput(ConsoleOutput);
    EXPECT_EQ(StreamResult, 103);
    StreamResult = 0;
    WriteLineBreak(ConsoleOutput);
    EXPECT_EQ(StreamResult, 103);
    StreamResult = 0;
    CloseStream(ConsoleOutput);
    EXPECT_EQ(StreamResult, 103);
    EXPECT_FALSE(ConsoleOutput.open);
    EXPECT_TRUE(Fake.writes.empty());

    // A later write opens the stream once the handle is usable.
    Fake.stdoutValid = true;
    Fake.stdoutType = FILE_TYPE_CHAR;
    StreamResult = 0;
    WriteText(ConsoleOutput, "ok", 0);
    WriteLineBreak(ConsoleOutput);
    EXPECT_EQ(StreamResult, 0);
    EXPECT_EQ(Fake.Output(), "ok\r\n");
}

INSTANTIATE_TEST_SUITE_P(Causes, UnusableOutput,
                         testing::Values(OpenFailure{"InvalidHandle", false, FILE_TYPE_PIPE, 0},
                                         OpenFailure{"UnknownType", true, FILE_TYPE_UNKNOWN, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FailedWrite, LosesTheBufferAndTheRestOfThatWriteOnly)
{
    ResetAll();
    Fake.writesBeforeFailure = 0;
    Fake.writeError = 112;
    WriteText(ConsoleOutput, std::string(200, 'a'), 0);
    EXPECT_EQ(StreamResult, 112);
    EXPECT_EQ(ConsoleOutput.count, 0);

    // Later writes of the same statement still run, into the emptied buffer.
    Fake.writeError = 5;
    WriteNumber(ConsoleOutput, 7, 130);  // fails within its spaces: the last space and the 7 go too
    EXPECT_EQ(StreamResult, 5);
    Fake.writesBeforeFailure = -1;
    WriteText(ConsoleOutput, "tail", 0);
    WriteLineBreak(ConsoleOutput);
    CloseStream(ConsoleOutput);
    EXPECT_EQ(StreamResult, 5);
    EXPECT_EQ(Fake.Output(), "tail\r\n");
}

TEST(FailedWrite, OnAConsoleTheStatementEndLosesItsBytes)
{
    ResetAll();
    Fake.stdoutType = FILE_TYPE_CHAR;
    Fake.writesBeforeFailure = 1;
    Fake.writeError = 109;
    WriteText(ConsoleOutput, "first", 0);
    FlushOutput(ConsoleOutput);
    WriteText(ConsoleOutput, "lost", 0);
    FlushOutput(ConsoleOutput);
    EXPECT_EQ(StreamResult, 109);
    Fake.writesBeforeFailure = -1;
    WriteText(ConsoleOutput, "next", 0);
    FlushOutput(ConsoleOutput);
    EXPECT_EQ(Fake.writes, (std::vector<std::string>{"first", "next"}));
}

// Writing allocates nothing, nor does drawing the board or a random
// number. The fake only counts the bytes here, so that it allocates
// nothing itself.
class OutputAllocation : public testing::TestWithParam<DWORD> {};

TEST_P(OutputAllocation, WritesAndDrawsAllocateNothing)
{
    ResetAll();
    Fake.stdoutType = GetParam();
    Fake.keepWrites = false;
    InitBoard();
    WriteText(ConsoleOutput, "", 0);  // opens the stream outside the count

    std::size_t before = AllocationCount();
    for (int i = 0; i < 1000; ++i) {
        WriteNumber(ConsoleOutput, RandomBelow(60) - 30, 20);
        WriteText(ConsoleOutput, "\x81\x9C", 3);
        WriteText(ConsoleOutput, "abc", 0);
        if (i % 2)
            WriteLineBreak(ConsoleOutput);
        else
            FlushOutput(ConsoleOutput);
    }
    DrawBoard();
    CloseStream(ConsoleOutput);
    EXPECT_EQ(AllocationCount() - before, 0u);
    EXPECT_GT(Fake.bytesWritten, 25000u);
    EXPECT_EQ(StreamResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutputAllocation, testing::Values(FILE_TYPE_CHAR, FILE_TYPE_PIPE));

} // namespace
