// The platform layer on POSIX file descriptors: the Windows calls the
// console layer makes, with the behaviour it relies on.
#include "console/platform.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/terminal_charset.h"
#include "console/terminal_lines.h"
#include "console/terminal_question.h"

namespace {

DWORD LastError = 0;

// A write to a closed pipe must fail with the broken-pipe code, not kill us.
const bool SigpipeIgnored = [] { return std::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();

DWORD ErrorCode(int error)
{
    switch (error) {
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOSPC: return ERROR_DISK_FULL;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EMFILE: return ERROR_TOO_MANY_OPEN_FILES;
    default: return ERROR_GEN_FAILURE;
    }
}

BOOL Fail(int error)
{
    LastError = ErrorCode(error);
    return FALSE;
}

int Descriptor(HANDLE handle) { return static_cast<int>(handle); }

bool IsCharacterDevice(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode);
}

// Waits until a non-blocking descriptor is ready, so reads and writes
// block as the console layer expects.
void AwaitReady(int fd, short events)
{
    pollfd p{fd, events, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

ssize_t ReadSome(int fd, void* buffer, std::size_t size)
{
    for (;;) {
        ssize_t got = read(fd, buffer, size);
        if (got >= 0)
            return got;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            AwaitReady(fd, POLLIN);
        else if (errno != EINTR)
            return -1;
    }
}

// Lines typed at a terminal, with CR LF line ends.
TerminalLines Typed;

BOOL WriteAll(int fd, const char* bytes, DWORD size, DWORD* written)
{
    DWORD done = 0;
    while (done < size) {
        ssize_t put = write(fd, bytes + done, size - done);
        if (put > 0)
            done += static_cast<DWORD>(put);
        else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            AwaitReady(fd, POLLOUT);
        else if (put < 0 && errno != EINTR) {
            *written = done;
            return Fail(errno);
        }
    }
    *written = done;
    return TRUE;
}

// Whether standard input and output were terminals when GetStdHandle gave
// them out; asked once, so that writes to a pipe cost no extra call.
bool StandardIsTerminal[2] = {false, false};

// The terminal's character set, chosen at the first read or write on a
// terminal; files and pipes never get here, so they cost nothing.
TerminalCharset Charset;
bool CharsetChosen = false;

// Terminal output is converted in pieces of this size, each one write.
constexpr DWORD WritePiece = 256;
char Converted[TerminalCharset::Growth * (WritePiece + 1)];

// How wide the terminal draws "■", "●" and "○": as the player says in
// SHIROKURO_AMBIGUOUS, otherwise as the terminal answers.
bool AmbiguousDrawnWide()
{
    const char* said = std::getenv("SHIROKURO_AMBIGUOUS");
    if (said != nullptr && std::strcmp(said, "wide") == 0)
        return true;
    if (said != nullptr && std::strcmp(said, "narrow") == 0)
        return false;
    char square[TerminalCharset::Growth * 3];
    std::size_t size = Charset.ToTerminal("\x81\xA1", 2, square);  // "■"
    return AskDrawnWide(square, size, [](const char* bytes, std::size_t n) {
        DWORD ignored = 0;
        WriteAll(STDOUT_FILENO, bytes, static_cast<DWORD>(n), &ignored);
    });
}

// The character set of the locale the environment names. A locale that
// is not installed here (ssh passes on the client's) still names its set;
// a UTF-8 one then takes the widths of characters from C.UTF-8.
const char* LocaleCodeset()
{
    if (std::setlocale(LC_CTYPE, "") != nullptr)
        return nl_langinfo(CODESET);
    const char* name = "";
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    static char codeset[32];
    CodesetOfLocaleName(name, codeset, sizeof codeset);
    if (NamesUtf8(codeset))
        std::setlocale(LC_CTYPE, "C.UTF-8");
    return codeset;
}

// The conversion for a terminal descriptor; null for anything else and
// for a terminal whose set is CP932's or plain ASCII.
TerminalCharset* CharsetFor(int fd)
{
    if (fd < 0 || fd > 1 || !StandardIsTerminal[fd])
        return nullptr;
    if (!CharsetChosen) {
        CharsetChosen = true;
        if (Charset.Open(LocaleCodeset()))
            Charset.PadNarrow(!AmbiguousDrawnWide());
    }
    return Charset.Converts() ? &Charset : nullptr;
}

ssize_t ReadTyped(int fd, char* raw, std::size_t size)
{
    if (fd == STDIN_FILENO && AwaitTyped())
        return static_cast<ssize_t>(TakeTyped(raw, size));
    return ReadSome(fd, raw, size);
}

} // namespace

HANDLE GetStdHandle(DWORD which)
{
    int fd = which == STD_INPUT_HANDLE ? STDIN_FILENO : which == STD_OUTPUT_HANDLE ? STDOUT_FILENO : -1;
    if (fd < 0 || fcntl(fd, F_GETFD) < 0) {
        Fail(EBADF);
        return INVALID_HANDLE_VALUE;
    }
    StandardIsTerminal[fd] = isatty(fd) == 1;
    return fd;
}

DWORD GetFileType(HANDLE handle)
{
    struct stat st;
    if (fstat(Descriptor(handle), &st) != 0) {
        LastError = ErrorCode(errno);
        return FILE_TYPE_UNKNOWN;
    }
    if (S_ISCHR(st.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))
        return FILE_TYPE_DISK;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;
}

BOOL CloseHandle(HANDLE handle)
{
    return close(Descriptor(handle)) == 0 ? TRUE : Fail(errno);
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read, void*)
{
    int fd = Descriptor(handle);
    ssize_t got = IsCharacterDevice(fd)
                      ? Typed.Read(static_cast<char*>(buffer), size,
                                   [fd](char* raw, std::size_t n) { return ReadTyped(fd, raw, n); },
                                   CharsetFor(fd))
                      : ReadSome(fd, buffer, size);
    *read = got > 0 ? static_cast<DWORD>(got) : 0;
    return got < 0 ? Fail(errno) : TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD size, DWORD* written, void*)
{
    int fd = Descriptor(handle);
    const char* bytes = static_cast<const char*>(buffer);
    TerminalCharset* charset = CharsetFor(fd);
    if (charset == nullptr)
        return WriteAll(fd, bytes, size, written);
    DWORD done = 0;
    do {
        DWORD take = std::min(size - done, WritePiece);
        DWORD put = 0;
        if (!WriteAll(fd, Converted, static_cast<DWORD>(charset->ToTerminal(bytes + done, take, Converted)), &put)) {
            *written = done;
            return FALSE;
        }
        done += take;
    } while (done < size);
    *written = done;
    return TRUE;
}

DWORD GetLastError() { return LastError; }

void GetSystemTime(SYSTEMTIME* time)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::time_t seconds = now.tv_sec;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    *time = SYSTEMTIME{static_cast<WORD>(utc.tm_year + 1900), static_cast<WORD>(utc.tm_mon + 1),
                       static_cast<WORD>(utc.tm_wday), static_cast<WORD>(utc.tm_mday),
                       static_cast<WORD>(utc.tm_hour), static_cast<WORD>(utc.tm_min),
                       static_cast<WORD>(utc.tm_sec), static_cast<WORD>(now.tv_nsec / 1000000)};
}

void ExitProcess(UINT status)
{
    GiveTerminalBack();
    if (Charset.Converts()) {
        DWORD ignored = 0;
        WriteAll(STDOUT_FILENO, Converted, static_cast<DWORD>(Charset.FinishOutput(Converted)), &ignored);
    }
    _exit(static_cast<int>(status));
}

std::size_t VirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* info, std::size_t)
{
    Dl_info found{};
    if (dladdr(address, &found) == 0 || found.dli_fbase == nullptr)
        return 0;
    *info = MEMORY_BASIC_INFORMATION{const_cast<void*>(address), found.dli_fbase, 1};
    return sizeof *info;
}

DWORD GetModuleFileNameA(HMODULE module, char* path, DWORD size)
{
    if (size == 0)
        return 0;
    Dl_info found{};
    Dl_info self{};
    bool isProgram = module == 0 ||
                     (dladdr(reinterpret_cast<const void*>(&GetModuleFileNameA), &self) != 0 &&
                      reinterpret_cast<HMODULE>(self.dli_fbase) == module);
    ssize_t length = 0;
    if (isProgram) {
        length = readlink("/proc/self/exe", path, size - 1);
    } else if (dladdr(reinterpret_cast<const void*>(module), &found) != 0 && found.dli_fname != nullptr) {
        length = static_cast<ssize_t>(std::min<std::size_t>(std::strlen(found.dli_fname), size - 1));
        std::memcpy(path, found.dli_fname, static_cast<std::size_t>(length));
    }
    length = std::max<ssize_t>(length, 0);
    path[length] = '\0';
    return static_cast<DWORD>(length);
}
