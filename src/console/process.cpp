#include "console/process.h"

#include <new>

#include "console/exceptions.h"
#include "console/input.h"
#include "console/output.h"
#include "console/platform.h"
#include "console/report.h"

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
    ExitProcess(static_cast<UINT>(ExitStatus));
}
