// --analyse: what a level makes of positions given one a line, for a
// program reading through a pipe.
#pragma once

#include <cstdio>
#include <string_view>

#include "cli/command_line.h"
#include "engine/engine.h"

// The answer line for one position line (any number of empty cells),
// ending in a line feed: the moves the level rates equally best as
// ascending cells joined by commas (or pass, or end), a space and its
// estimate of the final disc difference for the side to move: "34,43 -2".
// False and the reason, without a line feed, when the line is not a
// position. length is the whole line's when only its start was kept.
bool AnswerAnalyseLine(engine::Engine& search, std::string_view line, int level, char (&answer)[200],
                       std::size_t length = std::string_view::npos);

// Answers every line of in on out, a bad one as AnswerLines does; 1 when a
// line was bad or a read or write failed, else 0.
int RunAnalyse(engine::Engine& search, std::FILE* in, std::FILE* out, std::FILE* err, int level);

// RunAnalyse on standard input and output at settings.level with the
// search's table and threads; the exit status.
int AnalyseMode(const Settings& settings, const engine::Options& search);
