// A text as the program writes it (CP932 bytes) with the same text as a
// person reads it (UTF-8), kept side by side so a test can check one
// against the other.
#pragma once

#include <string_view>

struct Cp932Text {
    std::string_view bytes;
    std::string_view readable;

    constexpr operator std::string_view() const { return bytes; }
};
