#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>

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

TEST(ReadFile, ATerminalLineEndsInCrLf)
{
    Descriptor master(posix_openpt(O_RDWR | O_NOCTTY));
    ASSERT_GE(master.fd, 0);
    ASSERT_EQ(grantpt(master.fd), 0);
    ASSERT_EQ(unlockpt(master.fd), 0);
    Descriptor slave(open(ptsname(master.fd), O_RDWR | O_NOCTTY));
    ASSERT_GE(slave.fd, 0);
    ASSERT_EQ(write(master.fd, "35\n", 3), 3);

    Redirect input(slave.fd, 0);
    char buffer[128];
    DWORD got = 0;
    EXPECT_EQ(ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr), TRUE);
    EXPECT_EQ(std::string(buffer, got), "35\r\n");
}

// The time of day in UTC, whatever the local time zone.
TEST(GetSystemTime, IsTheClockInUtc)
{
    const char* zone = std::getenv("TZ");
    std::string saved = zone ? zone : "";
    setenv("TZ", "JST-9", 1);
    tzset();

    std::time_t before = std::time(nullptr);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    std::time_t after = std::time(nullptr);

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
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_EQ(now.wDayOfWeek, utc.tm_wday);
    EXPECT_LT(now.wMilliseconds, 1000);
}

} // namespace
