#include "console/stream_result.h"

#include "console/exceptions.h"

std::int32_t StreamResult = 0;

void RaiseStreamResult()
{
    SignalRunError(__builtin_return_address(0));
}
