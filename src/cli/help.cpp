#include "cli/help.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "cli/lines.h"
#include "cli/modes.h"

#ifndef SHIROKURO_VERSION
#define SHIROKURO_VERSION "unknown"
#endif

namespace {

// An option and its value in --help's list take this many columns after
// two spaces; its lines follow, each under the first.
constexpr std::size_t LabelWidth = 12;

constexpr bool LabelsFit()
{
    for (const SettingRow& s : SettingRows)
        if (s.option.size() + 1 + s.value.size() >= LabelWidth)
            return false;
    for (const ModeRow& m : Modes)
        if (m.option.size() + 1 + m.value.size() >= LabelWidth)
            return false;
    return true;
}
static_assert(LabelsFit());

constexpr char Closing[] =
    "A value may also follow an equals sign (--level=3). --level and --seed go\n"
    "together, --level also with --analyse, --threads and --hash with a game,\n"
    "--solve or --analyse; every other option stands alone.\n"
    "\n"
    "--solve and --analyse answer every line with one line, flushed at once. A\n"
    "line that is not a position is answered with the word error, and the reason\n"
    "goes to standard error as \"shirokuro: line N: reason\" (N counts from 1).\n"
    "\n"
    "Exit status: 0 done; 1 a console failure in a game, a line --solve or\n"
    "--analyse could not read, or a failed read or write of standard input or\n"
    "output (then one line on standard error); 2 a bad command line.\n";

std::string Label(std::string_view option, std::string_view value)
{
    std::string label(option);
    if (!value.empty())
        label.append(" ").append(value);
    return label;
}

void AddOption(std::string& text, std::string_view option, std::string_view value, std::string_view help)
{
    std::string label = Label(option, value);
    text.append("  ").append(label).append(LabelWidth - label.size(), ' ');
    for (std::size_t at = 0, end; at <= help.size(); at = end + 1) {
        end = std::min(help.find('\n', at), help.size());
        if (at > 0)
            text.append(2 + LabelWidth, ' ');
        text.append(help.substr(at, end - at)).append("\n");
    }
}

std::string HelpText()
{
    // A usage line a mode: its option, then the settings that go with it.
    // Modes that take nothing else share a line.
    std::string text;
    bool sharing = false;
    for (const ModeRow& mode : Modes) {
        std::string line = Label(mode.option, mode.value);
        for (const SettingRow& s : SettingRows)
            if (mode.settings & Takes({s.setting}))
                line.append(line.empty() ? "" : " ").append("[").append(Label(s.option, s.value)).append("]");
        bool alone = line == mode.option;
        if (alone && sharing)
            text.replace(text.size() - 1, 1, " | ");
        else
            text.append(text.empty() ? "Usage: shirokuro " : "       shirokuro ");
        text.append(line).append("\n");
        sharing = alone;
    }
    text.append("\n").append(ModeOf(Mode::Play).help).append("\n\n");
    // Each mode's option, and after it the settings listed there.
    for (const ModeRow& mode : Modes) {
        if (!mode.option.empty())
            AddOption(text, mode.option, mode.value, mode.help);
        for (const SettingRow& s : SettingRows)
            if (s.listedAfter == mode.mode)
                AddOption(text, s.option, s.value, s.help);
    }
    return text.append("\n").append(Closing);
}

} // namespace

int HelpMode(const Settings&, const engine::Options&)
{
    return PrintAll(HelpText().c_str());
}

int VersionMode(const Settings&, const engine::Options&)
{
    return PrintAll("shirokuro " SHIROKURO_VERSION "\n"
                    "Copyright (c) 2026 the shirokuro developers, MIT License, no warranty\n");
}
