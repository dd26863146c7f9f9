#include "console/terminal_lines.h"

#include <cstring>

void TerminalLines::EndLines(const char* raw, std::size_t count)
{
    first_ = last_ = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (raw[i] == '\n')
            pending_[last_++] = '\r';
        pending_[last_++] = raw[i];
    }
}

std::size_t TerminalLines::Deliver(char* buffer, std::size_t size)
{
    std::size_t take = std::min(size, last_ - first_);
    std::memcpy(buffer, pending_ + first_, take);
    first_ += take;
    return take;
}
