#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "console/platform.h"

namespace {

// A descriptor closed at the end of the test.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Close(); }
    void Close()
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
};

struct Pipe {
    Descriptor reader, writer;
    Pipe()
    {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        reader.fd = fds[0];
        writer.fd = fds[1];
    }
};

// A file in /tmp holding the given bytes, open for reading and writing.
int TemporaryFile(const std::string& bytes)
{
    char path[] = "/tmp/shirokuro-platform-XXXXXX";
    int fd = mkstemp(path);
    unlink(path);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    lseek(fd, 0, SEEK_SET);
    return fd;
}

// Puts fd in place of a standard descriptor for the test's duration.
struct Redirect {
    int target, saved;
    Redirect(int fd, int standard) : target(standard), saved(dup(standard))
    {
        if (fd < 0)
            close(standard);
        else
            dup2(fd, standard);
    }
    ~Redirect()
    {
        if (saved < 0) {
            close(target);
            return;
        }
        dup2(saved, target);
        close(saved);
    }
};

TEST(GetFileType, TellsFilesPipesAndCharacterDevices)
{
    Descriptor file(TemporaryFile("x"));
    Pipe pipe;
    Descriptor null(open("/dev/null", O_RDONLY));
    Descriptor closed(open("/dev/null", O_RDONLY));
    int closedFd = closed.fd;
    closed.Close();

    EXPECT_EQ(GetFileType(file.fd), FILE_TYPE_DISK);
    EXPECT_EQ(GetFileType(pipe.reader.fd), FILE_TYPE_PIPE);
    EXPECT_EQ(GetFileType(pipe.writer.fd), FILE_TYPE_PIPE);
    EXPECT_EQ(GetFileType(null.fd), FILE_TYPE_CHAR);
    EXPECT_EQ(GetFileType(closedFd), FILE_TYPE_UNKNOWN);
}

TEST(GetStdHandle, AClosedDescriptorGivesTheInvalidHandle)
{
    Descriptor null(open("/dev/null", O_RDWR));
    for (DWORD which : {STD_OUTPUT_HANDLE, STD_INPUT_HANDLE}) {
        int standard = which == STD_OUTPUT_HANDLE ? 1 : 0;
        Redirect usable(null.fd, standard);
        EXPECT_EQ(GetStdHandle(which), standard);
        Redirect closed(-1, standard);
        EXPECT_EQ(GetStdHandle(which), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

struct WriteFailure {
    const char* name;
    std::function<int(Descriptor&)> open;  // the descriptor to write to
    DWORD error;
};

void PrintTo(const WriteFailure& c, std::ostream* os) { *os << c.name; }

class FailingWrite : public testing::TestWithParam<WriteFailure> {};

TEST_P(FailingWrite, GivesTheErrorCode)
{
    Descriptor keep;
    int fd = GetParam().open(keep);
    DWORD written = 99;
    EXPECT_EQ(WriteFile(fd, "abc", 3, &written, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), GetParam().error);
    EXPECT_EQ(written, 0u);
}

// A write to a pipe nobody reads fails instead of killing the process.
INSTANTIATE_TEST_SUITE_P(
    Targets, FailingWrite,
    testing::Values(WriteFailure{"PipeWithoutReader",
                                 [](Descriptor& keep) {
                                     int fds[2];
                                     EXPECT_EQ(pipe(fds), 0);
                                     close(fds[0]);
                                     keep.fd = fds[1];
                                     return fds[1];
                                 },
                                 ERROR_BROKEN_PIPE},
                    WriteFailure{"DevFull",
                                 [](Descriptor& keep) { return keep.fd = open("/dev/full", O_WRONLY); },
                                 ERROR_DISK_FULL},
                    WriteFailure{"ClosedDescriptor",
                                 [](Descriptor&) {
                                     int fd = open("/dev/null", O_WRONLY);
                                     close(fd);
                                     return fd;
                                 },
                                 ERROR_INVALID_HANDLE}),
    [](const auto& info) { return std::string(info.param.name); });

// Only a terminal's lines are converted; files and pipes pass unchanged.
TEST(ReadFile, FilesAndPipesDeliverTheBytesAsTheyAre)
{
    Descriptor file(TemporaryFile("35\n7\r\n"));
    Pipe pipe;
    ASSERT_EQ(write(pipe.writer.fd, "35\n7\r\n", 6), 6);
    pipe.writer.Close();
    for (int fd : {file.fd, pipe.reader.fd}) {
        char buffer[128];
        DWORD got = 0;
        EXPECT_EQ(ReadFile(fd, buffer, sizeof buffer, &got, nullptr), TRUE);
        EXPECT_EQ(std::string(buffer, got), "35\n7\r\n");
        EXPECT_EQ(ReadFile(fd, buffer, sizeof buffer, &got, nullptr), TRUE);
        EXPECT_EQ(got, 0u);
    }
}

// A game's writes and first read on a pseudo-terminal, in a child process
// (the layer looks at the locale and the terminal once per process).
struct TerminalCase {
    const char* name;
    const char* locale;                // LC_ALL
    const char* ambiguous;             // SHIROKURO_AMBIGUOUS, or null
    std::string typed;                 // typed before the program starts
    const char* answer;                // typed when the cursor position is asked; null: nothing
    std::vector<std::string> writes;   // WriteFile calls
    std::string shown;                 // all the terminal receives
    std::string read;                  // what ReadFile gives, up to the first line end
};

void PrintTo(const TerminalCase& c, std::ostream* os) { *os << c.name; }

class OnATerminal : public testing::TestWithParam<TerminalCase> {};

[[noreturn]] void RunOnTerminal(const TerminalCase& c, int terminal, int report)
{
    setenv("LC_ALL", c.locale, 1);
    setenv("TERM", "xterm", 1);
    if (c.ambiguous)
        setenv("SHIROKURO_AMBIGUOUS", c.ambiguous, 1);
    else
        unsetenv("SHIROKURO_AMBIGUOUS");
    dup2(terminal, 0);
    dup2(terminal, 1);
    DWORD done = 0;
    for (const std::string& piece : c.writes)
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), piece.data(), static_cast<DWORD>(piece.size()), &done, nullptr);
    std::string read;
    char buffer[128];
    while (read.find("\r\n") == std::string::npos &&
           ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &done, nullptr) && done > 0)
        read.append(buffer, done);
    ssize_t ignored = write(report, read.data(), read.size());
    (void)ignored;
    _exit(0);
}

void CheckOnTerminal(const TerminalCase& c)
{
    Descriptor master(posix_openpt(O_RDWR | O_NOCTTY));
    ASSERT_GE(master.fd, 0);
    ASSERT_EQ(grantpt(master.fd), 0);
    ASSERT_EQ(unlockpt(master.fd), 0);
    Descriptor terminal(open(ptsname(master.fd), O_RDWR | O_NOCTTY));
    ASSERT_GE(terminal.fd, 0);
    termios mode{};
    ASSERT_EQ(tcgetattr(terminal.fd, &mode), 0);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);  // the bytes as written
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);   // and only those
    ASSERT_EQ(tcsetattr(terminal.fd, TCSANOW, &mode), 0);
    ASSERT_EQ(write(master.fd, c.typed.data(), c.typed.size()), static_cast<ssize_t>(c.typed.size()));
    Pipe report;

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        master.Close();  // or the terminal would outlive a failed test
        report.reader.Close();
        RunOnTerminal(c, terminal.fd, report.writer.fd);
    }
    terminal.Close();
    report.writer.Close();

    std::string shown;
    bool answered = c.answer == nullptr;
    char buffer[256];
    for (;;) {
        pollfd p{master.fd, POLLIN, 0};
        ASSERT_EQ(poll(&p, 1, 10000), 1) << "nothing more after " << testing::PrintToString(shown);
        ssize_t got = read(master.fd, buffer, sizeof buffer);
        if (got <= 0)
            break;  // the child has gone
        shown.append(buffer, static_cast<std::size_t>(got));
        if (!answered && shown.find("\x1b[6n") != std::string::npos) {
            answered = true;
            ASSERT_GT(write(master.fd, c.answer, std::strlen(c.answer)), 0);
        }
    }
    std::string read;
    for (ssize_t got; (got = ::read(report.reader.fd, buffer, sizeof buffer)) > 0;)
        read.append(buffer, static_cast<std::size_t>(got));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(testing::PrintToString(shown), testing::PrintToString(c.shown));
    EXPECT_EQ(testing::PrintToString(read), testing::PrintToString(c.read));
}

TEST_P(OnATerminal, ShowsAndReadsTheTerminalsCharacters) { CheckOnTerminal(GetParam()); }

TEST(ReadFile, ATerminalLineEndsInCrLf)
{
    CheckOnTerminal(TerminalCase{"", "C", nullptr, "35\n", nullptr, {}, "", "35\r\n"});
}

// The game's texts in CP932 and in UTF-8.
const std::string Split = std::string(127, 'a') + "\x82";  // a full 128-byte buffer ending in a lead byte
const std::string Rest = "\xA0\x81\x9C\r\n";           // "あ" completed, "●", line end
const std::string Probe = "\r\xE2\x96\xA0\x1b[6n\r\x1b[K";  // "■" and the question, wiped
const std::string Black = "\xE2\x97\x8F";
const std::string TypedDigits = "\xEF\xBC\x93\xEF\xBC\x95\n";  // "３５"

INSTANTIATE_TEST_SUITE_P(
    Locales, OnATerminal,
    testing::Values(
        TerminalCase{"Utf8", "C.UTF-8", "narrow", TypedDigits, nullptr, {Split, Rest},
                     std::string(127, 'a') + "\xE3\x81\x82 " + Black + "\r\n", "\x82\x52\x82\x54\r\n"},
        TerminalCase{"CLocaleUnchanged", "C", nullptr, TypedDigits, nullptr, {Split, Rest}, Split + Rest,
                     "\xEF\xBC\x93\xEF\xBC\x95\r\n"},
        TerminalCase{"SaidWide", "C.UTF-8", "wide", "35\n", nullptr, {"\x81\x9C"}, Black, "35\r\n"},
        TerminalCase{"AnsweredWide", "C.UTF-8", nullptr, "3", "\x1b[1;3R5\n", {"\x81\x9C"}, Probe + Black,
                     "35\r\n"},
        TerminalCase{"AnsweredNarrow", "C.UTF-8", nullptr, "35", "\x1b[7;2R\n", {"\x81\x9C"},
                     Probe + " " + Black, "35\r\n"},
        TerminalCase{"NoAnswer", "C.UTF-8", nullptr, "35", "\n", {"\x81\x9C"}, Probe + " " + Black, "35\r\n"},
        // Keys typed meanwhile mean what they would have meant without the question.
        TerminalCase{"LineTypedAhead", "C.UTF-8", nullptr, "35\n", nullptr, {"\x81\x9C"}, " " + Black, "35\r\n"},
        TerminalCase{"Erased", "C.UTF-8", nullptr, "3", "x\x7f\x1b[1;3R5\n", {"\x81\x9C"}, Probe + Black,
                     "35\r\n"},
        TerminalCase{"KilledThenEnded", "C.UTF-8", nullptr, "12", "\x15\x04\x1b[1;3R", {"\x81\x9C"},
                     Probe + Black, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The time of day in UTC, whatever the local time zone.
TEST(GetSystemTime, IsTheClockInUtc)
{
    const char* zone = std::getenv("TZ");
    std::string saved = zone ? zone : "";
    setenv("TZ", "JST-9", 1);
    tzset();

    // Bracket with the clock GetSystemTime reads: time() may read a coarser
    // clock that still shows the last second for a tick after it turned.
    timespec before{};
    timespec after{};
    SYSTEMTIME now{};
    clock_gettime(CLOCK_REALTIME, &before);
    GetSystemTime(&now);
    clock_gettime(CLOCK_REALTIME, &after);

    if (zone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();

    std::tm utc{};
    utc.tm_year = now.wYear - 1900;
    utc.tm_mon = now.wMonth - 1;
    utc.tm_mday = now.wDay;
    utc.tm_hour = now.wHour;
    utc.tm_min = now.wMinute;
    utc.tm_sec = now.wSecond;
    std::time_t seconds = timegm(&utc);
    EXPECT_GE(seconds, before.tv_sec);
    EXPECT_LE(seconds, after.tv_sec);
    EXPECT_EQ(now.wDayOfWeek, utc.tm_wday);
    EXPECT_LT(now.wMilliseconds, 1000);
}

} // namespace
