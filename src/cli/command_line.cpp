#include "cli/command_line.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "cli/modes.h"

namespace {

// An option as the parser meets it: one that chooses a mode, or a setting.
struct Option {
    std::string_view name;
    std::int32_t min = 0, max = 0;
    std::int32_t Settings::*field = nullptr;  // where its value goes; null when it takes none
    const ModeRow* chooses = nullptr;         // null for a setting
    unsigned modes = 0;                       // the modes it can be part of
};

constexpr unsigned Bit(Mode m) { return 1u << static_cast<int>(m); }

// Every option the table of modes names; a game has none of its own.
constexpr auto Options = [] {
    std::array<Option, std::size(Modes) - 1 + std::size(SettingRows)> options{};
    std::size_t n = 0;
    for (const ModeRow& mode : Modes)
        if (!mode.option.empty())
            options[n++] = {mode.option, mode.min, mode.max, mode.field, &mode, Bit(mode.mode)};
    for (const SettingRow& s : SettingRows) {
        options[n] = {s.option, s.min, s.max, s.field, nullptr, 0};
        for (const ModeRow& mode : Modes)
            if (mode.settings & Takes({s.setting}))
                options[n].modes |= Bit(mode.mode);
        ++n;
    }
    return options;
}();

// Builds the one line of a usage error in its fixed buffer.
class Message {
public:
    explicit Message(UsageError& out) : out_(out) { out_.text[0] = '\0'; }

    Message& operator<<(std::string_view text)
    {
        for (char c : text)
            if (length_ + 1 < sizeof out_.text)
                out_.text[length_++] = c;
        out_.text[length_] = '\0';
        return *this;
    }
    // An argument as typed, quoted, in printable ASCII and cut short.
    Message& Quoted(std::string_view argument)
    {
        constexpr std::size_t Shown = 40;
        *this << "'";
        for (std::size_t i = 0; i < argument.size() && i < Shown; ++i) {
            char c = argument[i];
            *this << (c >= 0x20 && c < 0x7F ? std::string_view(&c, 1) : "?");
        }
        return *this << (argument.size() > Shown ? "...'" : "'");
    }
    Settings Fail() { *this << " (see 'shirokuro --help')\n"; return {}; }

private:
    UsageError& out_;
    std::size_t length_ = 0;
};

// Digits only, no sign; false when anything else or outside min..max.
bool ReadValue(std::string_view text, std::int32_t min, std::int32_t max, std::int32_t& value)
{
    if (text.empty())
        return false;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > max)
            return false;
    }
    value = static_cast<std::int32_t>(v);
    return v >= min;
}

} // namespace

Settings ParseCommandLine(int argc, const char* const* argv, UsageError& error)
{
    Message message(error);
    Settings settings;
    const Option* seen[std::size(Options)];
    std::size_t seenCount = 0;
    unsigned modes = ~0u;  // those every option so far can be part of

    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        std::string_view name = argument.substr(0, argument.find('='));
        const Option* option = nullptr;
        for (const Option& o : Options)
            if (o.name == name)
                option = &o;
        if (option == nullptr) {
            if (!argument.starts_with("-"))
                return (message << "shirokuro: unexpected argument ").Quoted(argument).Fail();
            return (message << "shirokuro: unknown option ").Quoted(name.starts_with("--") ? name : argument).Fail();
        }

        for (std::size_t k = 0; k < seenCount; ++k) {
            if (seen[k] == option)
                return (message << "shirokuro: option '" << option->name << "' given twice").Fail();
            if (!(modes & option->modes) && (!(seen[k]->modes & option->modes) || k + 1 == seenCount))
                return (message << "shirokuro: options '" << seen[k]->name << "' and '" << option->name
                                << "' cannot be combined").Fail();
        }
        seen[seenCount++] = option;
        modes &= option->modes;

        bool attached = name.size() < argument.size();
        std::int32_t value = 0;
        if (option->field == nullptr) {
            if (attached)
                return (message << "shirokuro: option '" << option->name << "' takes no value").Fail();
        } else {
            if (!attached && i + 1 == argc)
                return (message << "shirokuro: option '" << option->name << "' needs a value").Fail();
            std::string_view text = attached ? argument.substr(name.size() + 1) : std::string_view(argv[++i]);
            if (!ReadValue(text, option->min, option->max, value)) {
                char range[32];
                std::snprintf(range, sizeof range, "%d to %d", static_cast<int>(option->min),
                              static_cast<int>(option->max));
                return (message << "shirokuro: option '" << option->name << "' takes a number from " << range
                                << ", not ").Quoted(text).Fail();
            }
        }

        if (option->chooses)
            settings.mode = option->chooses->mode;
        if (option->field)
            settings.*option->field = value;
    }
    if (std::none_of(seen, seen + seenCount, [](const Option* o) { return o->field == &Settings::level; }))
        settings.level = ModeOf(settings.mode).level;
    return settings;
}
