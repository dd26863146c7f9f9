// --help, made from the table of modes, and --version.
#pragma once

#include "cli/command_line.h"
#include "engine/engine.h"

// Each prints its text on standard output; the exit status.
int HelpMode(const Settings& settings, const engine::Options& search);
int VersionMode(const Settings& settings, const engine::Options& search);
