#include "console/terminal_question.h"

#include <algorithm>
#include <cctype>
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

// What was typed while the question ran: raw bytes at first, then edited
// in place into what the terminal's line editing would have delivered.
// Reads take it from First; an end of input typed ends it at End.
char Typed[256];
std::size_t First = 0, Last = 0;
constexpr std::size_t NoEnd = sizeof Typed + 1;
std::size_t End = NoEnd;

// Takes a complete cursor-position report (ESC [ row ; column R) out of
// the typed bytes; its column, or 0 when there is none yet.
int TakeCursorReport()
{
    for (std::size_t start = 0; start < Last; ++start) {
        if (Typed[start] != '\x1b')
            continue;
        std::size_t i = start + 1;
        if (i == Last || Typed[i++] != '[')
            continue;
        int numbers[2] = {0, 0};
        int field = 0;
        bool digits = false;
        for (; i < Last; ++i) {
            char c = Typed[i];
            if (c >= '0' && c <= '9' && numbers[field] < 10000) {
                numbers[field] = 10 * numbers[field] + (c - '0');
                digits = true;
            } else if (c == ';' && field == 0 && digits) {
                field = 1;
                digits = false;
            } else {
                break;
            }
        }
        if (i == Last || Typed[i] != 'R' || field != 1 || !digits)
            continue;
        std::memmove(Typed + start, Typed + i + 1, Last - i - 1);
        Last -= i + 1 - start;
        return numbers[1];
    }
    return 0;
}

bool Is(char c, int which)
{
    return Saved.c_cc[which] != _POSIX_VDISABLE && static_cast<cc_t>(c) == Saved.c_cc[which];
}

// Removes the last character, word or the whole of the line from lineStart
// to end, as the terminal does for its erase, word-erase and kill keys.
std::size_t Erase(std::size_t lineStart, std::size_t end, int key)
{
    bool utf8 = (Saved.c_iflag & IUTF8) != 0;
    auto continuation = [utf8](char c) { return utf8 && (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    bool seenWord = false;
    while (end > lineStart) {
        std::size_t start = end - 1;
        while (start > lineStart && continuation(Typed[start]))
            --start;
        auto c = static_cast<unsigned char>(Typed[start]);
        if (key == VWERASE && (c == '_' || (c < 0x80 && std::isalnum(c))))
            seenWord = true;
        else if (key == VWERASE && seenWord)
            break;
        end = start;
        if (key == VERASE)
            break;
    }
    return end;
}

// Edits the bytes typed during the question as the terminal would have,
// had its line editing been on. The first `edited` bytes were typed before
// and went through the terminal's editing already.
void EditTyped(std::size_t edited)
{
    if ((Saved.c_lflag & ICANON) == 0)
        return;
    bool extended = (Saved.c_lflag & IEXTEN) != 0;
    std::size_t out = edited, lineStart = 0;
    for (std::size_t i = 0; i < edited; ++i)
        if (Typed[i] == '\n')
            lineStart = i + 1;
    bool quoted = false;
    for (std::size_t i = edited; i < Last; ++i) {
        char c = Typed[i];
        if (quoted) {
            quoted = false;
        } else if (Is(c, VERASE) || Is(c, VKILL) || (extended && Is(c, VWERASE))) {
            out = Erase(lineStart, out, Is(c, VERASE) ? VERASE : Is(c, VKILL) ? VKILL : VWERASE);
            continue;
        } else if (extended && Is(c, VLNEXT)) {
            quoted = true;
            continue;
        } else if (extended && (Saved.c_lflag & ECHO) && Is(c, VREPRINT)) {
            continue;
        } else if (Is(c, VEOF)) {
            // At the start of a line it ends the input; elsewhere it ends the line without a line end.
            if (out == lineStart && End == NoEnd)
                End = out;
            lineStart = out;
            continue;
        }
        Typed[out++] = c;
        if (c == '\n' || Is(c, VEOL) || (extended && Is(c, VEOL2)))
            lineStart = out;
    }
    Last = out;
}

// Shows the typed text as the terminal's echo would have shown it.
void EchoTyped(void (*show)(const char*, std::size_t))
{
    if ((Saved.c_lflag & ECHO) == 0)
        return;
    char shown[2 * sizeof Typed];
    std::size_t n = 0;
    for (std::size_t i = 0; i < Last; ++i) {
        auto c = static_cast<unsigned char>(Typed[i]);
        if ((Saved.c_lflag & ECHOCTL) && (c < 0x20 || c == 0x7F) && c != '\t' && c != '\n') {
            shown[n++] = '^';
            c ^= 0x40;
        }
        shown[n++] = static_cast<char>(c);
    }
    show(shown, n);
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

    char probe[32] = "\r";
    std::size_t n = 1 + std::min(size, sizeof probe - 5);
    std::memcpy(probe + 1, glyph, n - 1);
    std::memcpy(probe + n, "\x1b[6n", 4);
    GlyphShown = 1;
    show(probe, n + 4);

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    int column = 0;
    for (long waited = 0; column == 0 && waited < 500 && Last < sizeof Typed; waited = MillisecondsSince(start)) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(500 - waited)) <= 0)
            continue;
        ssize_t got = read(STDIN_FILENO, Typed + Last, sizeof Typed - Last);
        if (got > 0) {
            Last += static_cast<std::size_t>(got);
            column = TakeCursorReport();
        }
    }
    GiveBackSettings();
    GlyphShown = 0;
    show("\r\x1b[K", 4);
    EditTyped(std::min(static_cast<std::size_t>(edited), Last));
    EchoTyped(show);
    return column == 3;  // the column after the glyph, counted from 1
}

bool HoldsTyped() { return First < Last || End != NoEnd; }

std::size_t TakeTyped(char* raw, std::size_t size)
{
    if (First == End) {
        // Nothing reads on after the end of the input.
        First = Last = 0;
        End = NoEnd;
        return 0;
    }
    std::size_t take = std::min(size, std::min(End, Last) - First);
    std::memcpy(raw, Typed + First, take);
    First += take;
    return take;
}
