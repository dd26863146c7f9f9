// Arbitrary bytes, delivered in arbitrary pieces, through the four reads.
// A plain model of the stream (a cursor over the bytes) says what each read
// must return and consume; the implementation must agree with it exactly.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "console/input.h"
#include "console/stream_result.h"
#include "fake_platform.h"

namespace {

struct Model {
    std::string data;
    std::size_t pos = 0;

    int Peek() const
    {
        return pos < data.size() && static_cast<unsigned char>(data[pos]) != EndMarker
                   ? static_cast<unsigned char>(data[pos])
                   : EndMarker;
    }
    bool AtEnd() const { return Peek() == EndMarker; }
};

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// The number a token stands for, or false; computed without the running
// limits, which must come to the same thing.
bool ReferenceNumber(const std::string& t, std::int32_t& out)
{
    std::size_t i = 0;
    bool negative = false, hex = false;
    if (t[0] == '-' || t[0] == '+')
        negative = t[0] == '-', i = 1;
    else if (t[0] == '$' || t[0] == 'x' || t[0] == 'X')
        hex = true, i = 1;
    else if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        hex = true, i = 2;
    if (i == t.size())
        return false;
    std::uint64_t value = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        int d = c >= '0' && c <= '9' ? c - '0'
              : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
              : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
              : -1;
        if (d < 0)
            return false;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull)
            return false;
    }
    if (!hex && value > (negative ? 2147483648ull : 2147483647ull))
        return false;
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(negative ? 0 - value : value));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider provider(bytes, size);
    ResetAll();
    std::size_t operations = provider.ConsumeIntegralInRange<std::size_t>(1, 64);
    std::string choices = provider.ConsumeBytesAsString(operations);
    std::size_t piece = provider.ConsumeIntegralInRange<std::size_t>(1, 200);
    Model model{provider.ConsumeRemainingBytesAsString()};
    for (std::size_t at = 0; at < model.data.size(); at += piece)
        Fake.reads.push_back({model.data.substr(at, piece), 0});

    std::string text;
    for (char choice : choices) {
        switch (static_cast<unsigned char>(choice) % 4) {
        case 0: {  // ReadCharacter
            int expected = model.Peek();
            Require(ReadCharacter(ConsoleInput) == expected);
            if (expected != EndMarker)
                ++model.pos;
            break;
        }
        case 1: {  // ReadNumber
            while (!model.AtEnd() && model.Peek() <= 0x20)
                ++model.pos;
            std::int32_t got = ReadNumber(ConsoleInput);
            if (model.AtEnd()) {
                Require(got == 0 && StreamResult == 0);
                break;
            }
            std::string token;
            while (token.size() < 32 && !model.AtEnd() && model.Peek() > 0x20)
                token += static_cast<char>(model.data[model.pos++]);
            std::int32_t expected = 0;
            bool number = ReferenceNumber(token, expected);
            Require(number ? StreamResult == 0 && got == expected : StreamResult == 106);
            StreamResult = 0;
            break;
        }
        case 2: {  // SkipLine
            SkipLine(ConsoleInput);
            while (!model.AtEnd() && model.data[model.pos] != '\r')
                ++model.pos;
            if (!model.AtEnd()) {
                ++model.pos;
                if (model.Peek() == '\n')
                    ++model.pos;
            }
            break;
        }
        default: {  // ReadLineText
            ReadLineText(ConsoleInput, text);
            std::size_t start = model.pos;
            while (!model.AtEnd() && model.data[model.pos] != '\r')
                ++model.pos;
            Require(text == model.data.substr(start, model.pos - start));
            break;
        }
        }
        Require(StreamResult == 0);
    }
    // What the stream hands out next is what the model says; once the end
    // has been seen, every read answers at once without the platform.
    Require(ReadCharacter(ConsoleInput) == model.Peek());
    if (model.AtEnd()) {
        int calls = Fake.readCalls;
        Require(ReadNumber(ConsoleInput) == 0);
        SkipLine(ConsoleInput);
        ReadLineText(ConsoleInput, text);
        Require(text.empty() && ReadCharacter(ConsoleInput) == EndMarker);
        Require(Fake.readCalls == calls && StreamResult == 0);
    }
    return 0;
}
