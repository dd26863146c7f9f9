#include "console/terminal_question.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "console/terminal_editing.h"

namespace {

// The terminal's settings before the question and during it; whether the
// latter are in force is kept for the signal handler.
termios Saved, Quiet;
volatile sig_atomic_t QuietInForce = 0;
// Whether the probe's glyph is on the screen, for the handler to wipe.
volatile sig_atomic_t GlyphShown = 0;

// Signals that end or stop the process: the terminal is given back first.
constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
struct sigaction Before[std::size(Handled)];

sigset_t HandledSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : Handled)
        sigaddset(&set, signal);
    return set;
}

// Gives the settings back and wipes the glyph, then lets the signal do
// what it would have done to us; only a stop comes back here, and the
// question goes on where the continued process has the terminal.
void GiveBackAndTakeSignal(int signal)
{
    int error = errno;
    if (QuietInForce)
        tcsetattr(STDIN_FILENO, TCSANOW, &Saved);
    QuietInForce = 0;
    if (GlyphShown && write(STDOUT_FILENO, "\r\x1b[K", 4) == 4)
        GlyphShown = 0;
    struct sigaction standard{}, ours{};
    standard.sa_handler = SIG_DFL;
    sigaction(signal, &standard, &ours);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    raise(signal);
    sigprocmask(SIG_UNBLOCK, &just, nullptr);
    sigaction(signal, &ours, nullptr);
    if (tcgetpgrp(STDIN_FILENO) == getpgrp() && tcsetattr(STDIN_FILENO, TCSANOW, &Quiet) == 0)
        QuietInForce = 1;
    errno = error;
}

// Echo and line editing off, with the handlers in place before.
bool TakeQuietSettings()
{
    sigset_t handled = HandledSet(), before;
    sigprocmask(SIG_BLOCK, &handled, &before);
    struct sigaction ours{};
    ours.sa_handler = GiveBackAndTakeSignal;
    ours.sa_mask = handled;
    for (std::size_t i = 0; i < std::size(Handled); ++i) {
        sigaction(Handled[i], nullptr, &Before[i]);
        if (Before[i].sa_handler != SIG_IGN)  // ignored stays ignored
            sigaction(Handled[i], &ours, nullptr);
    }
    QuietInForce = tcsetattr(STDIN_FILENO, TCSANOW, &Quiet) == 0;
    bool taken = QuietInForce;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return taken;
}

// A signal that came meanwhile arrives after this, as it would have come.
void GiveBackSettings()
{
    sigset_t handled = HandledSet(), before;
    sigprocmask(SIG_BLOCK, &handled, &before);
    if (QuietInForce)
        tcsetattr(STDIN_FILENO, TCSANOW, &Saved);
    QuietInForce = 0;
    for (std::size_t i = 0; i < std::size(Handled); ++i)
        sigaction(Handled[i], &Before[i], nullptr);
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

// What was typed since the question began, edited as the terminal would
// have. Until the answer is in and no line is half typed, or the first
// line is, the terminal's own editing stays off and reads come here.
TerminalEditing Typed;
bool Pending = false;
// Bytes of a line typed before the question, edited by the terminal already.
std::size_t Unedited = 0;

// The answer to the question (ESC [ row ; column R), taken out of the
// typed bytes whenever it comes: its column, 0 until then. A start of it
// is held until it either completes or turns out to be typed keys.
int Column = 0;
char Held[16];
std::size_t HeldSize = 0;

enum class Report { Partial, Complete, None };

Report ReadReport(int& column)
{
    if (HeldSize == 1)
        return Report::Partial;
    if (Held[1] != '[')
        return Report::None;
    int numbers[2] = {0, 0};
    int field = 0;
    bool digits = false;
    for (std::size_t i = 2; i < HeldSize; ++i) {
        char c = Held[i];
        if (c >= '0' && c <= '9' && numbers[field] < 10000) {
            numbers[field] = 10 * numbers[field] + (c - '0');
            digits = true;
        } else if (c == ';' && field == 0 && digits) {
            field = 1;
            digits = false;
        } else if (c == 'R' && field == 1 && digits && i + 1 == HeldSize) {
            column = numbers[1];
            return Report::Complete;
        } else {
            return Report::None;
        }
    }
    return HeldSize < sizeof Held ? Report::Partial : Report::None;
}

void Feed(char c)
{
    if (Column != 0 || (HeldSize == 0 && c != '\x1b')) {
        Typed.Type(c);
        return;
    }
    Held[HeldSize++] = c;
    int column = 0;
    Report report = ReadReport(column);
    if (report == Report::Partial)
        return;
    char typed[sizeof Held];
    std::size_t n = HeldSize;
    std::memcpy(typed, Held, n);
    HeldSize = 0;
    if (report == Report::Complete) {
        Column = std::max(column, 1);
        return;
    }
    Typed.Type(typed[0]);
    for (std::size_t i = 1; i < n; ++i)
        Feed(typed[i]);
}

// Nothing typed is left for the terminal's own editing to finish, and its
// answer is in or a line is complete (or the input ended).
bool MayGiveBack()
{
    return !Typed.Unfinished() && HeldSize == 0 && (Column != 0 || Typed.LineEnded());
}

void EndQuestion()
{
    GiveBackSettings();
    Pending = false;
}

// Reads what is typed during the question, for at most waitMs (-1: until
// something comes); false when the terminal fails or has gone.
bool ReadTypedKeys(int waitMs)
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    int ready = poll(&p, 1, waitMs);
    if (ready <= 0)
        return ready == 0 || errno == EINTR;
    char raw[256];
    ssize_t got = read(STDIN_FILENO, raw, sizeof raw);
    if (got <= 0)
        return got < 0 && (errno == EINTR || errno == EAGAIN);
    for (ssize_t i = 0; i < got; ++i) {
        if (Unedited > 0) {
            --Unedited;
            Typed.Keep(raw[i]);
        } else {
            Feed(raw[i]);
        }
    }
    Typed.FlushEcho();
    return true;
}

long MillisecondsSince(const timespec& start)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
}

} // namespace

bool AskDrawnWide(const char* glyph, std::size_t size, void (*show)(const char*, std::size_t))
{
    const char* term = std::getenv("TERM");
    struct stat in, out;
    if (term == nullptr || std::strcmp(term, "dumb") == 0 || !isatty(STDIN_FILENO) ||
        fstat(STDIN_FILENO, &in) != 0 || fstat(STDOUT_FILENO, &out) != 0 || in.st_rdev != out.st_rdev)
        return false;
    if (tcgetattr(STDIN_FILENO, &Saved) != 0)
        return false;
    // Whole lines or an end of input typed already: turning the line
    // editing off would lose where they end, so the terminal is left alone.
    pollfd waiting{STDIN_FILENO, POLLIN, 0};
    if (poll(&waiting, 1, 0) != 0)
        return false;
    Quiet = Saved;
    Quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    Quiet.c_cc[VMIN] = 0;
    Quiet.c_cc[VTIME] = 0;
    if (!TakeQuietSettings()) {
        GiveBackSettings();
        return false;
    }
    // The start of a line typed before, now readable as it stands.
    int edited = 0;
    if (ioctl(STDIN_FILENO, FIONREAD, &edited) != 0 || edited < 0)
        edited = 0;
    Unedited = static_cast<std::size_t>(edited);
    Typed.Start(Saved);
    Column = 0;
    HeldSize = 0;

    char probe[32] = "\r";
    std::size_t n = 1 + std::min(size, sizeof probe - 5);
    std::memcpy(probe + 1, glyph, n - 1);
    std::memcpy(probe + n, "\x1b[6n", 4);
    GlyphShown = 1;
    show(probe, n + 4);

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    bool usable = true;
    for (long waited = 0; usable && Column == 0 && waited < 500; waited = MillisecondsSince(start))
        usable = ReadTypedKeys(static_cast<int>(500 - waited));
    bool wide = Column == 3;  // the column after the glyph, counted from 1
    GlyphShown = 0;
    show("\r\x1b[K", 4);
    Typed.EchoTo(show);
    Typed.EchoHeld();
    Typed.FlushEcho();
    // A late answer would be echoed and read as typed: until it is in, the
    // first line is edited here instead.
    Pending = true;
    if (!usable || !QuietInForce || MayGiveBack())
        EndQuestion();
    return wide;
}

bool AwaitTyped()
{
    while (Pending && !Typed.Holds(false)) {
        if (!QuietInForce || !ReadTypedKeys(-1) || MayGiveBack())
            EndQuestion();
    }
    return Typed.Holds(!Pending);
}

std::size_t TakeTyped(char* raw, std::size_t size) { return Typed.Take(raw, size, !Pending); }

void GiveTerminalBack()
{
    if (Pending)
        EndQuestion();
}
