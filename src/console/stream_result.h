// The code of the last failed console operation, and the check that
// follows every console statement.
#pragma once

#include <cstdint>

// 0 while no failure is pending; a failing operation stores its code,
// replacing any earlier one. Only the error path sets it back to 0.
extern std::int32_t StreamResult;

// Raises the pending failure as an I/O error; the place reported is the
// return address, i.e. just after the failing statement's check.
[[noreturn, gnu::noinline]] void RaiseStreamResult();

// Raises the pending failure, if any; returns at once otherwise. Always
// inlined, even unoptimised: an out-of-line copy would make every failure
// report the same place.
[[gnu::always_inline]] inline void CheckStreamResult()
{
    if (StreamResult != 0) [[unlikely]]
        RaiseStreamResult();
}
