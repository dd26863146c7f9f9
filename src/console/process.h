// Start and end of the process: the outermost handler that reports an
// uncaught exception, and the one way out.
#pragma once

#include <cstdint>

extern std::int32_t ExitStatus;

enum class ErrorReportingState {
    Ready,      // an uncaught exception is reported
    Reporting,  // the report is being written; a failure now ends at once
    TakenDown,  // the process is ending; nothing more is reported
};
extern ErrorReportingState ErrorReporting;

// Runs the main block under the outermost handler, then ends the process.
[[noreturn]] void RunProcess(void (*mainBlock)());

[[noreturn]] void Terminate(std::int32_t code);

// Writes out buffered output and exits with ExitStatus, or with 1 when
// the output left over at the end could not be written.
[[noreturn]] void FinishProcess();
