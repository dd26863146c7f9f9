#include "console/process.h"

#include <new>

#include "console/exceptions.h"
#include "console/input.h"
#include "console/output.h"
#include "console/platform.h"
#include "console/report.h"
#include "console/stream_result.h"

std::int32_t ExitStatus = 0;
ErrorReportingState ErrorReporting = ErrorReportingState::Ready;

void RunProcess(void (*mainBlock)())
{
    ErrorReporting = ErrorReportingState::Ready;
    try {
        mainBlock();
    } catch (const Exception& e) {
        ReportUnhandled(e, RaiseAddress);
    } catch (const std::bad_alloc&) {
        ReportUnhandled(OutOfMemory, nullptr);
    }
    FinishProcess();
}

void Terminate(std::int32_t code)
{
    ExitStatus = code;
    FinishProcess();
}

void FinishProcess()
{
    ErrorReporting = ErrorReportingState::TakenDown;
    CloseStream(ConsoleInput);
    CloseStream(ConsoleOutput);
    // Output that could not be written out at the end is not reported
    // (there is nowhere to report it), but neither is the run a success.
    if (StreamResult != 0 && ExitStatus == 0)
        ExitStatus = 1;
    ExitProcess(static_cast<UINT>(ExitStatus));
}
