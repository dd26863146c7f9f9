#include "cli/command_line.h"

#include <cstdio>
#include <iterator>
#include <string_view>

#include "engine/engine.h"

namespace {

constexpr unsigned Bit(Mode m) { return 1u << static_cast<int>(m); }

struct Option {
    std::string_view name;
    Mode mode;            // what the option asks for; Play for a setting
    std::int32_t min, max;  // range of its value; max -1 when it takes none
    unsigned modes;       // the modes it can be part of
};

constexpr unsigned Searching = Bit(Mode::Play) | Bit(Mode::Solve) | Bit(Mode::Analyse);

constexpr Option Options[] = {
    {"--level", Mode::Play, 0, engine::MaxLevel, Bit(Mode::Play) | Bit(Mode::Analyse)},
    {"--seed", Mode::Play, 0, MaxSeed, Bit(Mode::Play)},
    {"--perft", Mode::Perft, 0, MaxPerftDepth, Bit(Mode::Perft)},
    {"--solve", Mode::Solve, 0, -1, Bit(Mode::Solve)},
    {"--analyse", Mode::Analyse, 0, -1, Bit(Mode::Analyse)},
    {"--bench", Mode::Bench, 0, -1, Bit(Mode::Bench)},
    {"--help", Mode::Help, 0, -1, Bit(Mode::Help)},
    {"--version", Mode::Version, 0, -1, Bit(Mode::Version)},
    {"--threads", Mode::Play, 1, MaxThreads, Searching},
    {"--hash", Mode::Play, 1, MaxHashMegabytes, Searching},
};

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
    bool levelGiven = false;

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
        if (option->max < 0) {
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

        if (option->mode != Mode::Play)
            settings.mode = option->mode;
        if (option->name == "--level")
            settings.level = value, levelGiven = true;
        else if (option->name == "--seed")
            settings.seed = value;
        else if (option->name == "--threads")
            settings.threads = value;
        else if (option->name == "--hash")
            settings.hashMegabytes = value;
        else if (option->mode == Mode::Perft)
            settings.perftDepth = value;
    }
    if (settings.mode == Mode::Analyse && !levelGiven)
        settings.level = engine::MaxLevel;
    return settings;
}
