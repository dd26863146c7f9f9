// The buffered text stream on standard input, and the game's reads.
//
// Bytes are taken as the platform delivers them, 128 at most per read.
// A line ends at CR, optionally followed by LF. The end of the data puts
// EndMarker in front of the reader for good; no read ever consumes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/output.h"
#include "console/platform.h"

inline constexpr unsigned char EndMarker = 0x1A;

struct InputStream {
    bool open = false;
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::int32_t count = 0;     // valid bytes in the buffer
    std::int32_t position = 0;  // the next unread byte
    unsigned char buffer[StreamBufferSize] = {};
};

extern InputStream ConsoleInput;

// The next byte, consumed unless it is EndMarker.
unsigned char ReadCharacter(InputStream& stream);
// The next token as a whole number; 0 at the end of the input. A token
// that is no number stores 106 in StreamResult.
std::int32_t ReadNumber(InputStream& stream);
// Moves past the next line end (CR, or CR LF).
void SkipLine(InputStream& stream);
// The bytes up to the next CR or EndMarker, which stay in the stream.
void ReadLineText(InputStream& stream, std::string& text);

unsigned char UpperCaseLetter(unsigned char b);
bool TextEquals(std::string_view a, std::string_view b);

// At program end: nothing to do for input; the handle stays open.
void CloseStream(InputStream& stream);
