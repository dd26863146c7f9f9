// --solve: the exact final disc difference and a best move for positions
// given one a line, for a program reading through a pipe.
#pragma once

#include <cstdio>
#include <string_view>

#include "cli/command_line.h"
#include "engine/engine.h"

// The answer line for one position line, ending in a line feed: "36 4",
// "pass -2", "end 0"; or false and why the line is not a position, without
// a line feed. length is the whole line's when only its start was kept.
bool AnswerSolveLine(engine::Engine& search, std::string_view line, char (&answer)[96],
                     std::size_t length = std::string_view::npos);

// Answers every line of in on out, a bad one as AnswerLines does; 1 when a
// line was bad or a read or write failed, else 0.
int RunSolve(engine::Engine& search, std::FILE* in, std::FILE* out, std::FILE* err);

// RunSolve on standard input and output with the search's table and
// threads; the exit status.
int SolveMode(const Settings& settings, const engine::Options& search);
