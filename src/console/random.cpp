#include "console/random.h"

#include "console/platform.h"

std::uint32_t RandomSeed = 0;

void SeedFromClock()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    RandomSeed = ((now.wHour * 60u + now.wMinute) * 60u + now.wSecond) * 1000u + now.wMilliseconds;
}

std::int32_t RandomBelow(std::int32_t n)
{
    RandomSeed = RandomSeed * 134775813u + 1u;
    std::uint64_t product = std::uint64_t{static_cast<std::uint32_t>(n)} * RandomSeed;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(product >> 32));
}
