// The command line's modes other than a game: help, version, perft and
// the exact solver. Plain command-line programs on C stdio, not the
// game's console statements.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

#include "command_line.h"
#include "engine/engine.h"

// Positions with more empty cells than this are not solved: the work
// grows about threefold with every empty cell.
inline constexpr int MaxSolveEmpties = 24;

// One --solve line (without its line feed; one trailing CR is dropped) as
// a position; false and a reason when it is not one.
// Up to MaxSolveEmpties empty cells unless anyEmpties.
bool ReadSolveLine(std::string_view line, Position& position, const char*& problem, bool anyEmpties = false);

// The answer line for one --solve line, ending in a line feed: "36 4",
// "pass -2", "end 0", or "error: ..." (then false).
bool AnswerSolveLine(std::string_view line, char (&answer)[96]);

// Runs a mode other than Mode::Game; the process's exit status.
int RunTool(const Settings& settings);

// The same bytes on every system from the modes above and the usage
// error: no CR added on output or dropped on input.
void UseBinaryStreams();

// Answers every line of in on out, each flushed at once; 1 when a line
// was bad (answer returned false) or a write failed, else 0.
using LineAnswer = std::function<bool(std::string_view line, char (&answer)[200])>;
int AnswerLines(std::FILE* in, std::FILE* out, const LineAnswer& answer);
int RunSolve(std::FILE* in, std::FILE* out);
