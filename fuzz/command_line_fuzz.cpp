// Arbitrary bytes as a command line, the arguments split at zero bytes:
// either settings within their ranges, or one printable line of error.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "engine/engine.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    std::string data(reinterpret_cast<const char*>(bytes), size);
    std::vector<std::string> arguments{"shirokuro"};
    for (std::size_t at = 0; at <= data.size();) {
        std::size_t end = data.find('\0', at);
        if (end == std::string::npos)
            end = data.size();
        arguments.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());

    UsageError error;
    Settings s = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), error);
    std::string_view text = error.text;
    if (text.empty()) {
        Require(s.level >= 0 && s.level <= engine::MaxLevel);
        Require(s.seed == SeedFromTheClock || (s.seed >= 0 && s.seed <= MaxSeed));
        Require(s.perftDepth >= 0 && s.perftDepth <= MaxPerftDepth);
        Require(s.mode == Mode::Play || s.seed == SeedFromTheClock);
        Require(s.mode == Mode::Play || s.mode == Mode::Analyse || s.level == 0);
        return 0;
    }
    Require(text.starts_with("shirokuro: ") && text.ends_with(" (see 'shirokuro --help')\n"));
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        Require(text[i] >= 0x20 && text[i] < 0x7F);
    return 0;
}
