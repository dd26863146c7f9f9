#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "alloc_count.h"
#include "console/exceptions.h"
#include "console/input.h"
#include "console/messages.h"
#include "console/output.h"
#include "console/process.h"
#include "console/report.h"
#include "console/stream_result.h"
#include "fake_platform.h"
#include "game/game_loop.h"
#include "game/statements.h"
#include "game/texts.h"

namespace {

// "I/O エラー (" and ")" in CP932.
const std::string IoErrorLead = "I/O \x83\x47\x83\x89\x81\x5B (";

struct IoErrorCase {
    std::int32_t code;
    std::string message;
};

void PrintTo(const IoErrorCase& c, std::ostream* os) { *os << c.code; }

class IoErrorMessage : public testing::TestWithParam<IoErrorCase> {};

TEST_P(IoErrorMessage, ComesFromTheTableOrThePattern)
{
    const IoErrorCase& c = GetParam();
    ResetAll();
    StreamResult = c.code;
    EInOutError e = MakeIoError();
    EXPECT_EQ(std::string(e.Message()), c.message);
    EXPECT_EQ(e.resultCode, c.code);
    EXPECT_STREQ(e.ClassName(), "EInOutError");
    EXPECT_EQ(StreamResult, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, IoErrorMessage,
    testing::Values(IoErrorCase{2, std::string(IoErrorTable[0].message)},
                    IoErrorCase{3, std::string(IoErrorTable[1].message)},
                    IoErrorCase{4, std::string(IoErrorTable[2].message)},
                    IoErrorCase{5, "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xD6\x82\xCC\x83\x41\x83\x4E\x83\x5A"
                                   "\x83\x58\x82\xAA\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD"},
                    IoErrorCase{100, std::string(IoErrorTable[4].message)},
                    IoErrorCase{101, std::string(IoErrorTable[5].message)},
                    IoErrorCase{106, "\x93\xFC\x97\xCD\x92\x6C\x82\xAA\x90\x94\x92\x6C\x82\xC5\x82\xCD\x82\xA0"
                                     "\x82\xE8\x82\xDC\x82\xB9\x82\xF1"},
                    IoErrorCase{103, IoErrorLead + "103)"}, IoErrorCase{109, IoErrorLead + "109)"},
                    IoErrorCase{6, IoErrorLead + "6)"}, IoErrorCase{0, IoErrorLead + "0)"},
                    IoErrorCase{-1, IoErrorLead + "-1)"},
                    IoErrorCase{INT_MIN, IoErrorLead + "-2147483648)"}));

// "がモジュール ", " の ", " で発生しました。" in CP932.
const std::string AtModule = "\x82\xAA\x83\x82\x83\x57\x83\x85\x81\x5B\x83\x8B ";
const std::string At = " \x82\xCC ";
const std::string Happened = " \x82\xC5\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\n";
const std::string NotANumber = std::string(IoErrorTable[6].message);
const std::string NoMemory = std::string(OutOfMemoryMessage.bytes);

std::string Report(const std::string& className, const std::string& module, const std::string& offset,
                   const std::string& secondLine)
{
    return className + AtModule + module + At + offset + Happened + secondLine;
}

std::string Hex8(std::uintptr_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value & 0xFFFFFFFFu));
    return text;
}

const void* Address(std::uintptr_t a) { return reinterpret_cast<const void*>(a); }

struct SuffixCase {
    std::string message;
    std::string secondLine;
};

void PrintTo(const SuffixCase& c, std::ostream* os) { *os << testing::PrintToString(c.message); }

class ReportSuffix : public testing::TestWithParam<SuffixCase> {};

TEST_P(ReportSuffix, DotOnlyWhenTheLastByteIsNotOne)
{
    ResetAll();
    Exception e(GetParam().message);
    EXPECT_EQ(std::string(FormatReport(&e, Address(Fake.imageStart + 0x1234))),
              Report("Exception", "shirokuro", "00001234", GetParam().secondLine));
}

INSTANTIATE_TEST_SUITE_P(Messages, ReportSuffix,
                         testing::Values(SuffixCase{"abc.", "abc."}, SuffixCase{"", ""},
                                         SuffixCase{"a.b", "a.b."}, SuffixCase{"..", ".."},
                                         SuffixCase{NotANumber, NotANumber + "."}));

struct PlaceCase {
    const char* name;
    std::string modulePath;
    std::uintptr_t address;  // relative to the fake image's start, or absolute below it
    bool inImage;
    std::string module;
    std::string offset;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class ReportPlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(ReportPlace, NamesTheModuleAndTheOffset)
{
    const PlaceCase& c = GetParam();
    ResetAll();
    Fake.modulePath = c.modulePath;
    const void* address = Address(c.inImage ? Fake.imageStart + c.address : c.address);
    EXPECT_EQ(std::string(FormatReport(&OutOfMemory, address)),
              Report("EOutOfMemory", c.module, c.offset, NoMemory + "."));
}

INSTANTIATE_TEST_SUITE_P(
    Places, ReportPlace,
    testing::Values(PlaceCase{"InTheImage", "/usr/games/shirokuro", 0xABCDEF, true, "shirokuro", "00ABCDEF"},
                    PlaceCase{"ImageStart", "/a/b/c/prog", 0, true, "prog", "00000000"},
                    PlaceCase{"NoDirectory", "prog", 0x10, true, "prog", "00000010"},
                    PlaceCase{"OutsideEveryImage", "/bin/x", 0x3000, false, "x", "00002000"},
                    PlaceCase{"NullAddress", "/bin/x", 0, false, "x", "00000000"},
                    PlaceCase{"LongPathCutAt260", "/" + std::string(250, 'd') + "/" + std::string(50, 'f'), 1,
                              true, std::string(8, 'f'), "00000001"}),
    [](const auto& info) { return std::string(info.param.name); });

class LongClassName : public Exception {
public:
    LongClassName() : Exception("m") {}
    const char* ClassName() const override { return name.c_str(); }
    std::string name = std::string(1000, 'C');
};

TEST(FormatReport, IsCutAt1023Bytes)
{
    ResetAll();
    LongClassName e;
    std::string full = Report(e.name, "shirokuro", "00000001", "m.");
    std::string_view report = FormatReport(&e, Address(Fake.imageStart + 1));
    EXPECT_EQ(std::string(report), full.substr(0, 1023));
    EXPECT_EQ(report.data()[1023], '\0');
}

// The whole run: a person types "abc" at the first move prompt.
class FailingRun : public testing::TestWithParam<DWORD> {};

TEST_P(FailingRun, ReportsTheNonNumberAndExitsWith1)
{
    ResetAll();
    Fake.stdoutType = GetParam();
    ScriptInput({"M\r\nM\r\nabc\r\n"});
    try {
        RunProcess(RunProgram);
        FAIL() << "RunProcess returned";
    } catch (const FakeExit& exit) {
        EXPECT_EQ(exit.status, 1u);
    }
    EXPECT_EQ(ExitStatus, 1);
    std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(RaiseAddress) - Fake.imageStart;
    std::string expected = std::string(MovePrompt.bytes) +
                           Report("EInOutError", "shirokuro", Hex8(offset), NotANumber + ".\r\n");
    std::string output = Fake.Output();
    ASSERT_GE(output.size(), expected.size());
    EXPECT_EQ(output.substr(output.size() - expected.size()), expected);
    EXPECT_EQ(StreamResult, 0);
    if (GetParam() == FILE_TYPE_CHAR) {
        EXPECT_EQ(Fake.writes.back(), expected.substr(MovePrompt.bytes.size()));
    } else {
        for (std::size_t i = 0; i + 1 < Fake.writes.size(); ++i)
            EXPECT_EQ(Fake.writes[i].size(), 128u);
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, FailingRun, testing::Values(FILE_TYPE_CHAR, FILE_TYPE_DISK));

// The shown place is the failing statement's own check: the same for the
// same statement, different for another.
TEST(FailingRun, ThePlaceNamesTheFailingStatement)
{
    auto raisedAt = [](std::initializer_list<FakeRead> reads) {
        ResetAll();
        Fake.reads = reads;
        EXPECT_THROW(RunProcess(RunProgram), FakeExit);
        return RaiseAddress;
    };
    const void* movePrompt = raisedAt({{"M\r\nM\r\nabc\r\n"}});
    EXPECT_NE(movePrompt, nullptr);
    EXPECT_EQ(raisedAt({{"M\r\nC\r\n12345678901\r\n"}}), movePrompt);
    EXPECT_NE(raisedAt({{"", 5}}), movePrompt);
}

TEST(UnwritableReport, EndsWithStatus1AtOnce)
{
    ResetAll();
    Fake.stdoutType = FILE_TYPE_UNKNOWN;  // every write tries to open and fails
    try {
        RunProcess([] {
            WriteText(ConsoleOutput, "x", 0);
            EndLine();
        });
        FAIL() << "RunProcess returned";
    } catch (const FakeExit& exit) {
        EXPECT_EQ(exit.status, 1u);
    }
    // One opening attempt for each of the two writes of the failed
    // statement and of the report; no second report.
    EXPECT_EQ(Fake.closeHandleCalls, 4);
    EXPECT_TRUE(Fake.writes.empty());
}

std::string StoredLine;

TEST(OutOfMemory, ALineThatCannotBeStoredIsReported)
{
    ResetAll();
    Fake.stdoutType = FILE_TYPE_CHAR;
    ScriptInput({std::string(40, 'y') + "\r\n"});
    StoredLine = "old";
    try {
        RunProcess([] {
            FailNextAllocation();
            ReadLineText(ConsoleInput, StoredLine);
        });
        FAIL() << "RunProcess returned";
    } catch (const FakeExit& exit) {
        EXPECT_EQ(exit.status, 1u);
    }
    EXPECT_EQ(StoredLine, "");
    std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(RaiseAddress) - Fake.imageStart;
    EXPECT_EQ(Fake.Output(), Report("EOutOfMemory", "shirokuro", Hex8(offset), NoMemory + ".\r\n"));
}

TEST(OutOfMemory, ElsewhereIsReportedWithoutAPlace)
{
    ResetAll();
    Fake.modulePath = "/opt/bin/shirokuro";
    EXPECT_THROW(RunProcess([] { throw std::bad_alloc(); }), FakeExit);
    EXPECT_EQ(Fake.Output(), Report("EOutOfMemory", "shirokuro", "00000000", NoMemory + ".\r\n"));
}

} // namespace

// Bytes still buffered at a normal end that cannot be written out are not
// reported, but the run does not end with status 0 either.
TEST(NormalEnd, LostLastOutputIsNotASuccess)
{
    for (bool writable : {true, false}) {
        SCOPED_TRACE(writable);
        ResetAll();
        Fake.stdoutType = FILE_TYPE_PIPE;
        Fake.writesBeforeFailure = writable ? -1 : 0;
        try {
            RunProcess([] {
                WriteText(ConsoleOutput, "less than a buffer", 0);
                EndLine();
            });
            FAIL() << "RunProcess returned";
        } catch (const FakeExit& exit) {
            EXPECT_EQ(exit.status, writable ? 0u : 1u);
        }
        EXPECT_EQ(Fake.Output(), writable ? "less than a buffer\r\n" : "");
    }
}
