#include "cli/lines.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstring>

#if !defined(_WIN32)
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unistd.h>
#endif

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// One line on standard error for a failed read or write, from errno.
int Failed(const char* what, int error)
{
    std::fprintf(stderr, "shirokuro: %s error: %s\n", what, std::strerror(error ? error : EIO));
    return 1;
}

// Each line printed at once, so that a reader sees answers as they come.
bool Print(std::FILE* out, const char* text)
{
    return std::fputs(text, out) >= 0 && std::fflush(out) == 0;
}

// A character of a refused line as the message shows it.
void Shown(char c, char (&out)[16])
{
    if (c > 0x20 && c < 0x7F)
        std::snprintf(out, sizeof out, "'%c'", c);
    else
        std::snprintf(out, sizeof out, "byte %u%s", static_cast<unsigned>(static_cast<unsigned char>(c)),
                      c == '\0' ? " (NUL)" : "");
}

// What a position line holds at a column, from 1.
const char* Expected(std::size_t column)
{
    return column <= 64 ? "X, O or -" : column == 65 ? "a space" : "X or O to move";
}

bool Refuse(char (&problem)[88], std::size_t column, char c)
{
    char shown[16];
    Shown(c, shown);
    std::snprintf(problem, sizeof problem, "column %zu: %s is not %s", column, shown, Expected(column));
    return false;
}

#if !defined(_WIN32)
// While a line takes more than a second and standard error is a
// terminal, one line there tells how far the search is; it is erased
// before the answer, and by Ctrl-C, which otherwise ends the program as
// it always did.
class Progress {
public:
    explicit Progress(const engine::Engine& search) : search_(search), enabled_(isatty(2) == 1)
    {
        if (!enabled_)
            return;
        std::signal(SIGINT, Interrupted);
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (...) {
            enabled_ = false;
        }
    }
    ~Progress()
    {
        if (!thread_.joinable())
            return;
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Start()
    {
        if (!enabled_)
            return;
        std::lock_guard lock(mutex_);
        start_ = std::chrono::steady_clock::now();
        solving_ = true;
    }
    void Stop()
    {
        if (!enabled_)
            return;
        std::lock_guard lock(mutex_);
        solving_ = false;
        if (Shown.exchange(false))
            Erase();
    }

private:
    static constexpr char EraseLine[] = "\r\033[K";
    static inline std::atomic<bool> Shown{false};

    static void Erase() { (void)!write(2, EraseLine, sizeof EraseLine - 1); }
    static void Interrupted(int signal)
    {
        if (Shown.exchange(false))
            Erase();
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }

    // A deep solve goes through passes of growing confidence before the
    // exact one: the pass under way, and what the last one found.
    static int SolvingLine(char (&line)[160], double seconds, const engine::SearchStatus& status)
    {
        char pass[24] = "";
        if (status.percent < 100)
            std::snprintf(pass, sizeof pass, " at %d%%", status.percent);
        char done[48] = "";
        if (status.donePercent > 0) {
            int n = std::snprintf(done, sizeof done, "; at %d%%: %+d", status.donePercent, status.doneValue);
            if (status.doneMove >= 0)  // the table may have lost it
                std::snprintf(done + n, sizeof done - static_cast<std::size_t>(n), " (%d)",
                              engine::CellOfSquare(status.doneMove));
        }
        return std::snprintf(line, sizeof line, "\rsolving%s: %.0f s, %" PRIu64 " positions, value %d to %d%s\033[K", pass,
                             seconds, status.nodes, status.lower, status.upper, done);
    }

    void Run()
    {
        std::unique_lock lock(mutex_);
        while (!quit_) {
            wake_.wait_for(lock, std::chrono::milliseconds(200));
            if (quit_ || !solving_)
                continue;
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
            if (seconds < 1)
                continue;
            engine::SearchStatus status = search_.Status();
            char line[160];
            int n = status.depth ? std::snprintf(line, sizeof line, "\rsearching: %.0f s, %" PRIu64 " positions, depth %d\033[K",
                                                 seconds, status.nodes, status.depth)
                                 : SolvingLine(line, seconds, status);
            if (n > 0 && write(2, line, static_cast<std::size_t>(std::min<int>(n, sizeof line - 1))) > 0)
                Shown = true;
        }
    }

    const engine::Engine& search_;
    bool enabled_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::chrono::steady_clock::time_point start_;
    bool solving_ = false, quit_ = false;
};
#else
struct Progress {
    explicit Progress(const engine::Engine&) {}
    void Start() {}
    void Stop() {}
};
#endif

} // namespace

void UseBinaryStreams()
{
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

int PrintAll(const char* text)
{
    errno = 0;
    return Print(stdout, text) ? 0 : Failed("write", errno);
}

bool SearchReady(const engine::Engine& search)
{
    if (search.Ready())
        return true;
    std::fputs("shirokuro: not enough memory for the search\n", stderr);
    return false;
}

bool ReadPositionLine(std::string_view line, engine::Position& position, char (&problem)[88], std::size_t length)
{
    if (length == std::string_view::npos)
        length = line.size();
    if (length == line.size() && line.ends_with('\r')) {
        line.remove_suffix(1);
        --length;
    }
    // An editor's byte-order mark and the NUL bytes of UTF-16 or binary
    // input are pointed at where they stand: the length they make hides them.
    if (line.starts_with("\xEF\xBB\xBF")) {
        std::snprintf(problem, sizeof problem, "column 1: bytes 239 187 191 are a UTF-8 byte-order mark, not %s",
                      Expected(1));
        return false;
    }
    bool nul = line.find('\0') != std::string_view::npos;
    if (length != 66 && !nul) {
        std::snprintf(problem, sizeof problem,
                      "%zu characters, not 66: 64 cells of X, O or -, a space, and X or O to move", length);
        return false;
    }
    engine::Bitboard x = 0, o = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(line.size(), 66); ++i) {
        char c = line[i];
        if (i < 64 ? c != 'X' && c != 'O' && c != '-' : i == 64 ? c != ' ' : c != 'X' && c != 'O')
            return Refuse(problem, i + 1, c);
        if (i < 64 && c != '-')
            (c == 'X' ? x : o) |= engine::Bitboard{1} << i;
    }
    if (length != 66) {
        std::snprintf(problem, sizeof problem, "column %zu: byte 0 (NUL) past the 66 characters of a position",
                      line.find('\0') + 1);
        return false;
    }
    position = line[65] == 'X' ? engine::Position{x, o} : engine::Position{o, x};
    return true;
}

int AnswerLines(std::FILE* in, std::FILE* out, std::FILE* err, const engine::Engine& search,
                const LineAnswer& answerLine)
{
    Progress progress(search);
    std::uint64_t number = 0;
    // Enough to tell every line too long from a good one; the rest of a
    // long line is read, counted and dropped.
    char line[80];
    bool good = true;
    for (;;) {
        std::size_t length = 0, kept = 0;
        int c, last = 0;
        errno = 0;
        while ((c = std::getc(in)) != EOF && c != '\n') {
            if (kept < sizeof line)
                line[kept++] = static_cast<char>(c);
            ++length;
            last = c;
        }
        if (length > kept && last == '\r')
            --length;  // as a kept line's CR is dropped
        if (c == EOF && std::ferror(in))
            return Failed("read", errno);
        if (c == EOF && length == 0)
            break;
        ++number;
        char answer[200];
        progress.Start();
        bool read = answerLine(std::string_view(line, kept), length, answer);
        progress.Stop();
        good &= read;
        // A refused line's reason goes where a command-line tool's
        // complaints go, first; its answer is the word error, so that a
        // program reading the answers still gets one for each line.
        if (!read) {
            std::fprintf(err, "shirokuro: line %" PRIu64 ": %s\n", number, answer);
            std::fflush(err);
        }
        errno = 0;
        if (!Print(out, read ? answer : "error\n"))
            return Failed("write", errno);
        if (c == EOF)
            break;
    }
    return good ? 0 : 1;
}
