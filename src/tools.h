// The command line's modes other than a game: help, version, perft, and
// the ones in src/cli/.
#pragma once

#include "cli/command_line.h"
#include "engine/engine.h"

// Runs a mode other than Mode::Game with the search's table and threads;
// the process's exit status.
int RunTool(const Settings& settings, const engine::Options& search);
