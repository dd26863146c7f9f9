// The command line's modes other than a game: help, version, perft, the
// exact solver and the line reading --analyse shares with it. Plain command-line programs on C stdio, not the
// game's console statements.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

#include "cli/command_line.h"
#include "engine/engine.h"

// One --solve line (without its line feed; one trailing CR is dropped) as
// a position; false and a reason when it is not one. length is the whole
// line's when only its start was kept.
bool ReadSolveLine(std::string_view line, engine::Position& position, char (&problem)[88],
                   std::size_t length = std::string_view::npos);

// The answer line for one --solve line, ending in a line feed: "36 4",
// "pass -2", "end 0"; or false and why the line is not a position, without
// a line feed.
bool AnswerSolveLine(engine::Engine& search, std::string_view line, char (&answer)[96],
                     std::size_t length = std::string_view::npos);

// Runs a mode other than Mode::Game with the search's table and threads;
// the process's exit status.
int RunTool(const Settings& settings, const engine::Options& search);

// The same bytes on every system from the modes above and the usage
// error: no CR added on output or dropped on input.
void UseBinaryStreams();

// The answer to one line (length as for ReadSolveLine), ending in a line
// feed; false and the reason, without a line feed, when the line was bad.
using LineAnswer = std::function<bool(std::string_view line, std::size_t length, char (&answer)[200])>;
// Answers every line of in on out, each flushed at once, showing how far
// search is on a terminal: a bad line with "error" there and "shirokuro:
// line N: reason" on err before it. 1 when a line was bad or a read or
// write failed (then one line on standard error), else 0.
int AnswerLines(std::FILE* in, std::FILE* out, std::FILE* err, const engine::Engine& search, const LineAnswer& answer);
int RunSolve(engine::Engine& search, std::FILE* in, std::FILE* out, std::FILE* err);
