// What the modes other than a game share: plain command-line programs on
// C stdio, not the game's console statements. Position lines in, one
// answer line out for each, and one line on standard error for a failure.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

#include "engine/engine.h"

// The same bytes on every system from these modes and the usage error: no
// CR added on output or dropped on input.
void UseBinaryStreams();

// Writes text on standard output at once; the exit status, 1 with one line
// on standard error when the write failed.
int PrintAll(const char* text);

// True when the search has its table; else false, and one line on
// standard error.
bool SearchReady(const engine::Engine& search);

// One position line (without its line feed; one trailing CR is dropped):
// the 64 cells as X, O or -, a space, and X or O to move. False and a
// reason when it is not one. length is the whole line's when only its
// start was kept.
bool ReadPositionLine(std::string_view line, engine::Position& position, char (&problem)[88],
                      std::size_t length = std::string_view::npos);

// The answer to one line (length as for ReadPositionLine), ending in a
// line feed; false and the reason, without a line feed, when the line was
// bad.
using LineAnswer = std::function<bool(std::string_view line, std::size_t length, char (&answer)[200])>;
// Answers every line of in on out, each flushed at once, showing how far
// search is on a terminal: a bad line with "error" there and "shirokuro:
// line N: reason" on err before it. 1 when a line was bad or a read or
// write failed (then one line on standard error), else 0.
int AnswerLines(std::FILE* in, std::FILE* out, std::FILE* err, const engine::Engine& search, const LineAnswer& answer);
