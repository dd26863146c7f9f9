#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "console/terminal_editing.h"

namespace {

// Keys typed with the terminal's editing done by TerminalEditing must read
// and show as they do with the terminal's own: each case is typed into a
// pseudo-terminal in canonical mode too, and the two are compared.
struct EditingCase {
    const char* name;
    std::string keys;
    tcflag_t lflagOff = 0, lflagOn = 0, iflagOn = 0;
    char endOfLine = 0;  // VEOL, 0 for none
};

void PrintTo(const EditingCase& c, std::ostream* os) { *os << c.name; }

struct Outcome {
    std::string read, shown;
};

termios Settings(const EditingCase& c)
{
    termios mode{};
    mode.c_iflag = ICRNL | c.iflagOn;
    mode.c_oflag = 0;  // the echo as written
    mode.c_cflag = CS8 | CREAD;
    mode.c_lflag = ((ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN) & ~c.lflagOff) | c.lflagOn;
    const std::pair<int, cc_t> keys[] = {{VINTR, 0x03}, {VQUIT, 0x1C}, {VERASE, 0x7F}, {VKILL, 0x15}, {VEOF, 0x04},
                                         {VEOL, static_cast<cc_t>(c.endOfLine)}, {VEOL2, 0}, {VWERASE, 0x17},
                                         {VLNEXT, 0x16}, {VREPRINT, 0x12}, {VSUSP, 0x1A}, {VMIN, 1}, {VTIME, 0}};
    for (auto [key, value] : keys)
        mode.c_cc[key] = value;
    return mode;
}

// The keys and then a line end and the end of the input, so that every
// read ends; what reads gave up to the end, and what was echoed.
Outcome OnTheTerminal(const EditingCase& c, const std::string& keys)
{
    Outcome outcome;
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master, 0);
    EXPECT_EQ(grantpt(master), 0);
    EXPECT_EQ(unlockpt(master), 0);
    int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    EXPECT_GE(terminal, 0);
    termios mode = Settings(c);
    EXPECT_EQ(tcsetattr(terminal, TCSANOW, &mode), 0);
    EXPECT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    char buffer[256];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;)
        outcome.read.append(buffer, static_cast<std::size_t>(got));
    // All echo is out before this mark.
    EXPECT_EQ(write(terminal, "#", 1), 1);
    while (outcome.shown.empty() || outcome.shown.back() != '#') {
        ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        outcome.shown.append(buffer, static_cast<std::size_t>(got));
    }
    outcome.shown.pop_back();
    close(terminal);
    close(master);
    return outcome;
}

std::string Shown;

Outcome Edited(const EditingCase& c, const std::string& keys)
{
    static TerminalEditing editing;
    editing.Start(Settings(c));
    Shown.clear();
    editing.EchoTo([](const char* bytes, std::size_t size) { Shown.append(bytes, size); });
    for (char key : keys)
        editing.Type(key);
    editing.FlushEcho();
    Outcome outcome;
    char buffer[64];
    while (editing.Holds(false)) {
        std::size_t got = editing.Take(buffer, sizeof buffer, false);
        if (got == 0)
            break;
        outcome.read.append(buffer, got);
    }
    EXPECT_FALSE(editing.Holds(true)) << "no end of input";
    outcome.shown = Shown;
    return outcome;
}

class Editing : public testing::TestWithParam<EditingCase> {};

TEST_P(Editing, ReadsAndShowsAsTheTerminal)
{
    std::string keys = GetParam().keys + "\n\x04";
    Outcome terminal = OnTheTerminal(GetParam(), keys);
    Outcome ours = Edited(GetParam(), keys);
    EXPECT_EQ(testing::PrintToString(ours.read), testing::PrintToString(terminal.read));
    EXPECT_EQ(testing::PrintToString(ours.shown), testing::PrintToString(terminal.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Editing,
    testing::Values(EditingCase{"Erase", "ab\x7f" "c"},
                    EditingCase{"EraseUtf8", "a\xC3\xA9\x7f", 0, 0, IUTF8},
                    EditingCase{"EraseByteWithoutUtf8", "a\xC3\xA9\x7f"},
                    EditingCase{"NeverHalfACharacter", "\xA9\x7f", 0, 0, IUTF8},
                    EditingCase{"EraseControl", "a\x01\x7f"},
                    EditingCase{"EraseControlShownRaw", "ab\x7f\x01\x7f", ECHOCTL},
                    EditingCase{"EraseShownAsKey", "ab\x7f", ECHOE},
                    EditingCase{"EraseOnAnEmptyLine", "\x7f\x15" "x"},
                    EditingCase{"Kill", "ab\x15" "c"},
                    EditingCase{"KillShownAsKey", "ab\x15" "c", ECHOKE},
                    EditingCase{"WordErase", "ab, cd.ef\x17\x17"},
                    EditingCase{"WordEraseLatin1Letters", "x .\xC3\xA9\x17" "y .\xC3\x97\x17", 0, 0, IUTF8},
                    EditingCase{"LiteralNext", "a\x16\nb\x16\x7f\x16\x04"},
                    EditingCase{"Reprint", "ab\x01\x12" "c"},
                    EditingCase{"EndOfInputMidLine", "ab\x04" "cd"},
                    EditingCase{"EndOfInputFirst", "ab\n\x04" "cd"},
                    EditingCase{"EndOfLineKey", "abXc", 0, 0, 0, 'X'},
                    EditingCase{"NoEcho", "ab\x7f\x15" "c\n", ECHO},
                    EditingCase{"NoEchoButLineEnds", "ab\x7f" "c\nd", ECHO, ECHONL},
                    EditingCase{"NoExtensions", "ab\x17\x16\x12\x7f", IEXTEN}),
    [](const auto& info) { return std::string(info.param.name); });

// A line longer than the room keeps its start and its end.
TEST(Editing, ALongLineKeepsItsEnd)
{
    TerminalEditing editing;
    termios mode = Settings(EditingCase{});
    editing.Start(mode);
    for (std::size_t i = 0; i < TerminalEditing::Room + 10; ++i)
        editing.Type('a');
    editing.Type('\n');
    std::string read(TerminalEditing::Room + 20, '\0');
    read.resize(editing.Take(read.data(), read.size(), false));
    EXPECT_EQ(read, std::string(TerminalEditing::Room - 1, 'a') + "\n");
}

} // namespace
