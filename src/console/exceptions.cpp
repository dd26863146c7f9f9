#include "console/exceptions.h"

#include <algorithm>
#include <cstring>

#include "console/format.h"
#include "console/messages.h"
#include "console/platform.h"
#include "console/process.h"
#include "console/stream_result.h"

const EOutOfMemory OutOfMemory{OutOfMemoryMessage.bytes};
const void* RaiseAddress = nullptr;

Exception::Exception(std::string_view message)
    : length_(std::min(message.size(), Capacity))
{
    std::memcpy(message_, message.data(), length_);
}

EInOutError MakeIoError()
{
    std::int32_t code = StreamResult;
    StreamResult = 0;
    for (const TErrorRec& row : IoErrorTable)
        if (row.code == code)
            return EInOutError(row.message, code);
    char message[64];
    std::size_t length = FormatText(message, sizeof message, IoErrorPattern, {code});
    return EInOutError(std::string_view(message, length), code);
}

void SignalRunError(const void* address)
{
    if (ErrorReporting != ErrorReportingState::Ready)
        ExitProcess(1);
    RaiseAddress = address;
    throw MakeIoError();
}

[[gnu::noinline]] void RaiseOutOfMemory()
{
    RaiseAddress = __builtin_return_address(0);
    throw OutOfMemory;
}
