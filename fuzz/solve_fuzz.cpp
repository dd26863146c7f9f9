// Arbitrary bytes as the input of --solve: one answer line per input line,
// each "error" or a move and a difference, and for each "error" a line on
// standard error with that line's number. Inputs holding a position with
// many empty cells are not solved, to keep runs short: level 1 of
// --analyse answers each of their lines instead, any number of moves.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/analyse.h"
#include "cli/lines.h"
#include "cli/solve.h"

namespace {

constexpr int MaxFuzzEmpties = 10;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool AnswerLooksRight(std::string_view answer)
{
    if (answer == "error")
        return true;
    std::size_t space = answer.find(' ');
    if (space == std::string_view::npos)
        return false;
    std::string_view move = answer.substr(0, space);
    std::string number(answer.substr(space + 1));
    char* end = nullptr;
    long difference = std::strtol(number.c_str(), &end, 10);
    bool cell = move.size() == 2 && move[0] >= '1' && move[0] <= '8' && move[1] >= '1' && move[1] <= '8';
    return (cell || move == "pass" || move == "end") && *end == '\0' && !number.empty() &&
           difference >= -64 && difference <= 64;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    std::string data(reinterpret_cast<const char*>(bytes), size);
    std::size_t lines = 0;
    bool good = true;
    for (std::size_t at = 0; at < data.size();) {
        std::size_t end = data.find('\n', at);
        if (end == std::string::npos)
            end = data.size();
        engine::Position p;
        char problem[88] = "";
        bool read = ReadPositionLine(std::string_view(data).substr(at, end - at), p, problem);
        Require(read == (problem[0] == '\0'));
        if (read && 64 - std::popcount(p.own | p.opp) > MaxFuzzEmpties) {
            static engine::Engine analyse;
            for (std::size_t from = 0; from < data.size();) {
                std::size_t to = std::min(data.find('\n', from), data.size());
                char answer[200];
                bool answered = AnswerAnalyseLine(analyse, std::string_view(data).substr(from, to - from), 1, answer);
                std::string_view text(answer);
                Require(answered == text.ends_with('\n'));
                from = to + 1;
            }
            return 0;
        }
        good &= read;
        ++lines;
        at = end + 1;
    }

    if (data.empty())
        return 0;
    std::FILE* in = fmemopen(data.data(), data.size(), "rb");
    char* output = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&output, &length);
    char* errors = nullptr;
    std::size_t errorsLength = 0;
    std::FILE* err = open_memstream(&errors, &errorsLength);
    Require(in && out && err);
    static engine::Engine search;
    int status = RunSolve(search, in, out, err);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    Require(status == (good ? 0 : 1));
    std::string_view text(output, length);
    std::string expectedErrors;
    std::size_t answers = 0;
    for (std::size_t at = 0; at < text.size(); ++answers) {
        std::size_t end = text.find('\n', at);
        Require(end != std::string_view::npos && AnswerLooksRight(text.substr(at, end - at)));
        if (text.substr(at, end - at) == "error")
            expectedErrors += "shirokuro: line " + std::to_string(answers + 1) + ": ";
        at = end + 1;
    }
    Require(answers == lines);
    // Each error line starts with the number of its refused line, in order.
    std::string_view reported(errors, errorsLength);
    std::string starts;
    for (std::size_t at = 0; at < reported.size();) {
        std::size_t end = reported.find('\n', at);
        Require(end != std::string_view::npos);
        std::size_t colon = reported.find(": ", reported.find(": ", at) + 2);
        Require(colon < end);
        starts += reported.substr(at, colon + 2 - at);
        at = end + 1;
    }
    Require(starts == expectedErrors);
    std::free(output);
    std::free(errors);
    return 0;
}
