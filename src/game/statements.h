// The two ways the game ends a write statement. Inlined, so that a failure
// is reported at the statement's own place, not inside a shared helper.
#pragma once

#include "console/output.h"
#include "console/stream_result.h"

[[gnu::always_inline]] inline void EndStatement()
{
    FlushOutput(ConsoleOutput);
    CheckStreamResult();
}

[[gnu::always_inline]] inline void EndLine()
{
    WriteLineBreak(ConsoleOutput);
    CheckStreamResult();
}
