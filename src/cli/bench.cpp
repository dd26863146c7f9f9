#include "cli/bench.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <iterator>

#include "cli/lines.h"

namespace {

// Positions from the project's seeded games (four random moves, then
// levels 1 and 2), X to move: middle games searched as level 6 does,
// endgames of 18 to 20 empty squares solved exactly (level 0 here).
// Changing them changes the signature.
struct BenchPosition {
    const char* cells;
    int level;
};
constexpr BenchPosition Positions[] = {
    {"---------------------O-X---XOOX---OOOOOO---OOOO----OOO------O---", 6},
    {"-------------------OOOX----XOOX----XXOOX--XXXOOX-------X--------", 6},
    {"-------------------OOOXX--OOOOOO--XOXXOO--XXXXO---XXXX----------", 6},
    {"----------X-------OXX-----OXX--O--OOXXXO--OOOX-O--OOOX-----XOX--", 6},
    {"----O-----OOOX-----OOXXX--OOOOXX--XOXXOX---OXOXX---XOO-----O--O-", 6},
    {"----------X-------OOOXXX-OOOXXXO-XOXXXO---XOXXOO--XXXX----XX----", 6},
    {"----------XOX---XXXOX-X-XXXOXXX-XXOOXXX-XXXOXXXX--XXOOX-OOOOOOOX", 0},
    {"-------O---X-XOOX-OXXOOOXXOOOOXOXXXXXOOO-XXXXOOO--XXXX----XXXXX-", 0},
    {"O---XXXX-O-XOOOO-OXXOOO--XOXX-O-XXXOOOOO-XXOOOOX-X-XO-OX---X---X", 0},
    {"-O--X-X---O-XXX---XOXXX-OOOXOX--OOXOXOX-OXX-XXOOOOXXXOOO--X-OOO-", 0},
    {"OOOOOO---OXOO-O---OOOOO-OOOOOXO-OOOOOXOOOOOXXXO-O--XXX-O--XXO---", 0},
};

engine::Position Read(const char* cells)
{
    engine::Position p{0, 0};
    for (int square = 0; square < 64; ++square) {
        if (cells[square] == 'X')
            p.own |= engine::Bitboard{1} << square;
        else if (cells[square] == 'O')
            p.opp |= engine::Bitboard{1} << square;
    }
    return p;
}

} // namespace

int BenchMode(const Settings&, const engine::Options&)
{
    engine::Engine search;  // one thread, the default table
    if (!SearchReady(search))
        return 1;
    auto start = std::chrono::steady_clock::now();
    for (const BenchPosition& b : Positions) {
        int moves[64], discs;
        if (b.level > 0)
            search.Analyse(Read(b.cells), b.level, moves, discs);
        else
            search.Solve(Read(b.cells), nullptr);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::uint64_t nodes = search.Nodes();
    char line[120];
    std::snprintf(line, sizeof line, "bench: %" PRIu64 " nodes, %.0f nodes/s (%zu positions, %.2f s)\n", nodes,
                  seconds > 0 ? static_cast<double>(nodes) / seconds : 0.0, std::size(Positions), seconds);
    return PrintAll(line);
}
