// --bench: a fixed set of positions searched on one thread; the node
// count pins what the search does, the speed is for comparing machines.
#pragma once

#include "cli/command_line.h"
#include "engine/engine.h"

// Prints one line on standard output; the exit status. The search's
// table and threads are its own, the same on every machine.
int BenchMode(const Settings& settings, const engine::Options& search);
