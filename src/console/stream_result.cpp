#include "console/stream_result.h"

#include "console/exceptions.h"

std::int32_t StreamResult = 0;

// Kept out of line: the return address names the statement that failed.
[[gnu::noinline]] void CheckStreamResult()
{
    if (StreamResult != 0)
        SignalRunError(__builtin_return_address(0));
}
