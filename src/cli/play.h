// A game at the console: what the program does without options.
#pragma once

#include "cli/command_line.h"
#include "engine/engine.h"

// Plays under the outermost handler with the settings' level and seed and
// the search's table and threads; never returns.
int PlayMode(const Settings& settings, const engine::Options& search);
