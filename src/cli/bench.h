// --bench: a fixed set of positions searched on one thread; the node
// count pins what the search does, the speed is for comparing machines.
#pragma once

#include <cstdio>

// Prints one line on out; the process's exit status.
int RunBench(std::FILE* out);
