// A small printf for the report: %s (a text), %d (a signed number) and
// %p (an address as 8 upper-case hexadecimal digits), into a fixed area.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

struct FormatArg {
    enum Kind { Text, Number, Address } kind;
    std::string_view text = {};
    std::int64_t number = 0;
    std::uintptr_t address = 0;

    FormatArg(std::string_view t) : kind(Text), text(t) {}
    FormatArg(std::int32_t n) : kind(Number), number(n) {}
    FormatArg(std::uintptr_t a) : kind(Address), address(a) {}
};

// Fills out with the pattern, its fields replaced in order, cut at
// capacity - 1 bytes and zero-terminated; returns the length.
std::size_t FormatText(char* out, std::size_t capacity, std::string_view pattern,
                       std::initializer_list<FormatArg> args);
