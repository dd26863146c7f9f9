// The code of the last failed console operation, and the check that
// follows every console statement.
#pragma once

#include <cstdint>

// 0 while no failure is pending; a failing operation stores its code,
// replacing any earlier one. Only the error path sets it back to 0.
extern std::int32_t StreamResult;

// Raises the pending failure, if any, as an I/O error at the caller's
// position; returns at once otherwise.
void CheckStreamResult();
