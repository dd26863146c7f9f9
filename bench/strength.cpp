// Plays computer levels against each other and prints how often each
// side wins. Every seed opens with a few uniformly random plies, then
// the pair plays it twice with colours swapped. Ties among a level's
// best moves, and level 0's moves, are drawn by the game's own random
// source, as the program does.
//
//   strength [-n SEEDS] [-o PLIES] [A:B ...]     default 1:0 2:1 3:2 4:3 5:4 5:0
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/random.h"
#include "engine/engine.h"

namespace {

int RandomLegal(const Position& p)
{
    Bitboard moves = LegalMoves(p);
    for (int k = RandomBelow(std::popcount(moves)); k > 0; --k)
        moves &= moves - 1;
    return std::countr_zero(moves);
}

int ChooseMove(const Position& p, int level)
{
    if (level == 0)
        return RandomLegal(p);
    int moves[64];
    int n = BestMoves(p, level, moves);
    return moves[n > 1 ? RandomBelow(n) : 0];
}

// Disc difference for the first player at the end.
int PlayGame(int first, int second, std::uint32_t seed, int openingPlies)
{
    RandomSeed = seed;
    Position p{(Bitboard{1} << SquareOfCell(44)) | (Bitboard{1} << SquareOfCell(55)),
               (Bitboard{1} << SquareOfCell(45)) | (Bitboard{1} << SquareOfCell(54))};
    const int levels[2] = {first, second};
    int mover = 0;
    for (int ply = 0;; ++ply) {
        if (!LegalMoves(p)) {
            if (!LegalMoves(Pass(p)))
                break;
            p = Pass(p);
            mover ^= 1;
            continue;
        }
        p = Play(p, ply < openingPlies ? RandomLegal(p) : ChooseMove(p, levels[mover]));
        mover ^= 1;
    }
    int diff = std::popcount(p.own) - std::popcount(p.opp);
    return mover == 0 ? diff : -diff;
}

} // namespace

int main(int argc, char** argv)
{
    int seeds = 50, openingPlies = 4;
    std::vector<std::pair<int, int>> pairs;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-n") && i + 1 < argc)
            seeds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-o") && i + 1 < argc)
            openingPlies = std::atoi(argv[++i]);
        else if (int a, b; std::sscanf(argv[i], "%d:%d", &a, &b) == 2 && a >= 0 && b >= 0 && a <= MaxLevel && b <= MaxLevel)
            pairs.emplace_back(a, b);
        else {
            std::fprintf(stderr, "usage: strength [-n SEEDS] [-o PLIES] [A:B ...]\n");
            return 2;
        }
    }
    if (pairs.empty())
        pairs = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {5, 0}};
    if (!InitSearch())
        return 1;

    std::printf("| A | B | games | A wins | draws | B wins | A's mean disc margin |\n|---|---|---|---|---|---|---|\n");
    for (auto [a, b] : pairs) {
        int wins = 0, draws = 0, losses = 0;
        long margin = 0;
        for (int s = 1; s <= seeds; ++s) {
            std::uint32_t seed = static_cast<std::uint32_t>(s) * 2654435761u;
            for (int aFirst = 0; aFirst < 2; ++aFirst) {
                int d = aFirst ? PlayGame(a, b, seed, openingPlies) : -PlayGame(b, a, seed, openingPlies);
                wins += d > 0;
                draws += d == 0;
                losses += d < 0;
                margin += d;
            }
        }
        int games = 2 * seeds;
        std::printf("| %d | %d | %d | %d (%.1f%%) | %d | %d | %+.1f |\n", a, b, games, wins, 100.0 * wins / games, draws,
                    losses, static_cast<double>(margin) / games);
        std::fflush(stdout);
    }
}
