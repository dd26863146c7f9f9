// The program's one pseudo-random source: a 32-bit linear congruential
// generator, seeded once per run from the time of day.
#pragma once

#include <cstdint>

extern std::uint32_t RandomSeed;

// RandomSeed = milliseconds since midnight UTC.
void SeedFromClock();
// Advances the seed, then scales it to 0..n-1 (upper half of n × seed).
std::int32_t RandomBelow(std::int32_t n);
