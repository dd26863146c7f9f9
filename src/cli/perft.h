// --perft: the number of leaves a depth of plies from the start, which
// pins move generation.
#pragma once

#include "cli/command_line.h"
#include "engine/engine.h"

// Prints the count for settings.perftDepth; the exit status.
int PerftMode(const Settings& settings, const engine::Options& search);
