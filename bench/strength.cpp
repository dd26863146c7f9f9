// Plays computer levels against each other and prints how often each
// side wins. Every seed opens with a few uniformly random plies, then
// the pair plays it twice with colours swapped. Ties among a level's
// best moves, and level 0's moves, are drawn by the game's own random
// source, as the program does.
//
// With -DSHIROKURO_BASELINE=path/to/other/src, a level written bN is
// that build's level N (the engine of an older commit, say).
//
//   strength [-n SEEDS] [-s FIRST] [-o PLIES] [-t] [-L N=DEPTH,EXACT,STYLE[,SURE,PERCENT[,CAP]]] [A:B ...]
//
// Without pairs each level plays the one below. -t adds each side's
// median and slowest move, in processor seconds; -v N counts the distinct
// games among the seeds' by their first N plies instead; -L redefines a level for the run
// (styles: 0 hand-made evaluation, 1 learned, 2 learned and selective;
// SURE,PERCENT: by the solver's passes up to PERCENT from SURE empty squares;
// CAP: the positions a middle-game move may cost).
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "console/random.h"
#include "engine/engine.h"

#ifdef SHIROKURO_BASELINE
// The older engine's interface, as its names are renamed for this build.
struct BaselinePosition {
    std::uint64_t own, opp;
};
bool BaselineInitSearch();
int BaselineBestMoves(const BaselinePosition& p, int level, int moves[64]);
#endif

namespace {

using namespace engine;

// Levels of the other build are numbered from here.
constexpr int Baseline = 100;

// The levels, as -L may have redefined them, and the engine they search with.
Level Levels[MaxLevel + 1];
Engine* Search;

std::vector<double> MoveTimes[2];
// The squares played, when asked for (-v).
std::vector<int> Played;

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
    int moves[64], discs;
    int n;
#ifdef SHIROKURO_BASELINE
    if (level >= Baseline)
        n = BaselineBestMoves(BaselinePosition{p.own, p.opp}, level - Baseline, moves);
    else
#endif
        n = Search->Analyse(p, Levels[level], moves, discs);
    return moves[n > 1 ? RandomBelow(n) : 0];
}

// Processor time, so that other jobs on the machine count less.
int TimedMove(const Position& p, int level, int side)
{
    std::clock_t start = std::clock();
    int move = ChooseMove(p, level);
    MoveTimes[side].push_back(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    return move;
}

bool ReadLevel(const char* text, int& level)
{
    bool baseline = *text == 'b';
    char* end;
    long n = std::strtol(text + baseline, &end, 10);
    if (end == text + baseline || *end || n < 0 || n > MaxLevel)
        return false;
    level = static_cast<int>(n) + (baseline ? Baseline : 0);
    return true;
}

std::string Name(int level)
{
    char text[16];
    std::snprintf(text, sizeof text, level >= Baseline ? "b%d" : "%d", level % Baseline);
    return text;
}

std::string Times(std::vector<double>& t)
{
    if (t.empty())
        return "-";
    std::sort(t.begin(), t.end());
    char text[64];
    std::snprintf(text, sizeof text, "%.3f / %.3f", t[t.size() / 2], t.back());
    t.clear();
    return text;
}

// Disc difference for the first player at the end; firstSide is the
// first player's index for the move times.
int PlayGame(int first, int second, std::uint32_t seed, int openingPlies, int firstSide)
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
        int square = ply < openingPlies ? RandomLegal(p) : TimedMove(p, levels[mover], mover ^ firstSide);
        Played.push_back(square);
        p = Play(p, square);
        mover ^= 1;
    }
    int diff = std::popcount(p.own) - std::popcount(p.opp);
    return mover == 0 ? diff : -diff;
}

} // namespace

int main(int argc, char** argv)
{
    for (int l = 1; l <= MaxLevel; ++l)
        Levels[l] = GameLevel(l);
    int level[2];
    int seeds = 50, firstSeed = 1, openingPlies = 4;
    bool times = false;
    int varietyPlies = 0;
    std::vector<std::pair<int, int>> pairs;
    for (int i = 1; i < argc; ++i) {
        unsigned long cap = Level{}.nodeCap;
        if (!std::strcmp(argv[i], "-n") && i + 1 < argc)
            seeds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-s") && i + 1 < argc)
            firstSeed = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-o") && i + 1 < argc)
            openingPlies = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-v") && i + 1 < argc)
            varietyPlies = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-t"))
            times = true;
        else if (int l, d, e, st, sure = 0, percent = 0, got; !std::strcmp(argv[i], "-L") && i + 1 < argc &&
                 ((got = std::sscanf(argv[++i], "%d=%d,%d,%d,%d,%d,%lu", &l, &d, &e, &st, &sure, &percent, &cap)) == 4 ||
                  got == 6 || got == 7) &&
                 l >= 1 && l <= MaxLevel)
            Levels[l] = {d, e, static_cast<Style>(st), st != 0, sure, percent, cap};
        else if (char a[16], b[16]; std::sscanf(argv[i], "%15[^:]:%15s", a, b) == 2 && ReadLevel(a, level[0]) &&
                 ReadLevel(b, level[1]))
            pairs.emplace_back(level[0], level[1]);
        else {
            std::fprintf(stderr, "usage: strength [-n SEEDS] [-s FIRST] [-o PLIES] [-t] [-v PLIES] [-L N=DEPTH,EXACT,STYLE[,SURE,PERCENT[,CAP]]] [A:B ...]\n");
            return 2;
        }
    }
    if (pairs.empty())
        for (int a = 1; a <= MaxLevel; ++a)
            pairs.emplace_back(a, a - 1);
    Engine search;
    if (!search.Ready())
        return 1;
    Search = &search;
#ifdef SHIROKURO_BASELINE
    if (!BaselineInitSearch())
        return 1;
#endif

    if (varietyPlies > 0) {
        // How many of the games from the seeds differ in their first plies.
        std::printf("| A | B | games | distinct by ply %d |\n|---|---|---|---|\n", varietyPlies);
        for (auto [a, b] : pairs) {
            std::vector<std::vector<int>> openings;
            for (int s = firstSeed; s < firstSeed + seeds; ++s) {
                Played.clear();
                PlayGame(a, b, static_cast<std::uint32_t>(s) * 2654435761u, openingPlies, 0);
                Played.resize(std::min<std::size_t>(Played.size(), static_cast<std::size_t>(varietyPlies)));
                openings.push_back(Played);
            }
            std::sort(openings.begin(), openings.end());
            auto distinct = std::unique(openings.begin(), openings.end()) - openings.begin();
            std::printf("| %s | %s | %d | %d |\n", Name(a).c_str(), Name(b).c_str(), seeds, static_cast<int>(distinct));
            std::fflush(stdout);
        }
        return 0;
    }

    std::printf("| A | B | games | A wins | draws | B wins | A's mean disc margin |%s\n|---|---|---|---|---|---|---|%s\n",
                times ? " A's move, median / slowest (s) | B's |" : "", times ? "---|---|" : "");
    for (auto [a, b] : pairs) {
        int wins = 0, draws = 0, losses = 0;
        long margin = 0;
        for (int s = firstSeed; s < firstSeed + seeds; ++s) {
            std::uint32_t seed = static_cast<std::uint32_t>(s) * 2654435761u;
            for (int aFirst = 0; aFirst < 2; ++aFirst) {
                int d = aFirst ? PlayGame(a, b, seed, openingPlies, 0) : -PlayGame(b, a, seed, openingPlies, 1);
                wins += d > 0;
                draws += d == 0;
                losses += d < 0;
                margin += d;
            }
        }
        int games = 2 * seeds;
        std::printf("| %s | %s | %d | %d (%.1f%%) | %d | %d | %+.1f |", Name(a).c_str(), Name(b).c_str(), games, wins,
                    100.0 * wins / games, draws, losses, static_cast<double>(margin) / games);
        if (times)
            std::printf(" %s | %s |", Times(MoveTimes[0]).c_str(), Times(MoveTimes[1]).c_str());
        std::printf("\n");
        std::fflush(stdout);
    }
}
