#include "console/report.h"

#include <cstdint>

#include "console/format.h"
#include "console/messages.h"
#include "console/output.h"
#include "console/platform.h"
#include "console/process.h"
#include "console/stream_result.h"

namespace {

constexpr std::size_t ModulePathSize = 261;  // 260 bytes and the zero
constexpr std::uintptr_t UnknownImageStart = 0x1000;

char ModulePath[ModulePathSize];
char ReportText[1024];

// The file name of the image holding address, and address as an offset
// into that image. An address outside every image is taken as the
// program's own, loaded at its usual place.
std::string_view LocateAddress(const void* address, std::uintptr_t& offset)
{
    MEMORY_BASIC_INFORMATION info{};
    HMODULE module{};
    std::uintptr_t start = UnknownImageStart;
    if (address != nullptr && VirtualQuery(address, &info, sizeof info) != 0 && info.AllocationBase != nullptr) {
        module = reinterpret_cast<HMODULE>(info.AllocationBase);
        start = reinterpret_cast<std::uintptr_t>(info.AllocationBase);
    }
    offset = address == nullptr ? 0 : reinterpret_cast<std::uintptr_t>(address) - start;

    DWORD length = GetModuleFileNameA(module, ModulePath, ModulePathSize);
    std::string_view path(ModulePath, length < ModulePathSize ? length : ModulePathSize - 1);
    std::size_t separator = path.rfind(PathSeparator);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

} // namespace

std::string_view FormatReport(const Exception* exception, const void* address)
{
    std::uintptr_t offset = 0;
    std::string_view module = LocateAddress(address, offset);
    std::string_view className = exception ? exception->ClassName() : "";
    std::string_view message = exception ? exception->Message() : "";
    std::string_view suffix = !message.empty() && message.back() != '.' ? "." : "";
    std::size_t length = FormatText(ReportText, sizeof ReportText, ReportPattern,
                                    {className, module, offset, message, suffix});
    return {ReportText, length};
}

void ReportUnhandled(const Exception& exception, const void* address)
{
    ErrorReporting = ErrorReportingState::Reporting;
    WriteText(ConsoleOutput, FormatReport(&exception, address), 0);
    WriteLineBreak(ConsoleOutput);
    CheckStreamResult();
    Terminate(1);
}
