#include "cli/perft.h"

#include <cinttypes>
#include <cstdio>

#include "cli/lines.h"

namespace {

// The side to move's discs are own, whatever colour it is.
engine::Position StartPosition()
{
    auto bit = [](int cell) { return engine::Bitboard{1} << engine::SquareOfCell(cell); };
    return {bit(44) | bit(55), bit(45) | bit(54)};
}

} // namespace

int PerftMode(const Settings& settings, const engine::Options&)
{
    char count[32];
    std::snprintf(count, sizeof count, "%" PRIu64 "\n", engine::Perft(StartPosition(), settings.perftDepth));
    return PrintAll(count);
}
