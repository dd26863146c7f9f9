#include "command_line.h"

#include <cstdio>
#include <iterator>
#include <string_view>

#include "engine/engine.h"

namespace {

struct Option {
    std::string_view name;
    Mode mode;            // what the option asks for; Game for the game's own
    std::int32_t min, max;  // range of its value; max -1 when it takes none
    bool tunesSearch = false;  // goes with a game or with --solve
};

constexpr Option Options[] = {
    {"--level", Mode::Game, 0, MaxLevel},
    {"--seed", Mode::Game, 0, MaxSeed},
    {"--perft", Mode::Perft, 0, MaxPerftDepth},
    {"--solve", Mode::Solve, 0, -1},
    {"--help", Mode::Help, 0, -1},
    {"--version", Mode::Version, 0, -1},
    {"--threads", Mode::Game, 1, MaxThreads, true},
    {"--hash", Mode::Game, 1, MaxHashMegabytes, true},
};

bool GoTogether(const Option& a, const Option& b)
{
    if (a.tunesSearch || b.tunesSearch) {
        const Option& other = a.tunesSearch ? b : a;
        return other.tunesSearch || other.mode == Mode::Game || other.mode == Mode::Solve;
    }
    return a.mode == Mode::Game && b.mode == Mode::Game;
}

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
            if (!GoTogether(*seen[k], *option))
                return (message << "shirokuro: options '" << seen[k]->name << "' and '" << option->name
                                << "' cannot be combined").Fail();
        }
        seen[seenCount++] = option;

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

        if (option->mode != Mode::Game)
            settings.mode = option->mode;
        if (option->name == "--level")
            settings.level = value;
        else if (option->name == "--seed")
            settings.seed = value;
        else if (option->name == "--threads")
            settings.threads = value;
        else if (option->name == "--hash")
            settings.hashMegabytes = value;
        else if (option->mode == Mode::Perft)
            settings.perftDepth = value;
    }
    return settings;
}
