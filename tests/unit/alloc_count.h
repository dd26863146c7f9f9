// The test program's global operator new counts every allocation, so a
// test can show that a piece of code allocates nothing, and can make one
// allocation fail to reach the out-of-memory path.
#pragma once

#include <cstddef>

// Allocations made through operator new since the program started.
std::size_t AllocationCount();

// The next allocation throws std::bad_alloc (a nothrow one gives null).
void FailNextAllocation();
