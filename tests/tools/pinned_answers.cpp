// Writes the table of pinned solver answers (tests/engine/pinned_answers.txt):
// seeded positions of 12 to 24 empty squares, each with its exact value
// and every best move by the plain reference solver, and one best line.
//
//   pinned_answers [ORIGIN...]
//
// Without arguments it writes the whole table; with ORIGINs (the table's
// fourth column) only their lines. The positions come from seeded games
// played with the engine's rules and levels, as the solve benchmark makes
// them; the answers owe nothing to the engine.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "reference_solver.h"

namespace {

using namespace engine;

// The levels that play the level games.
Engine& Levels()
{
    static Engine levels;
    return levels;
}

constexpr Position Start{(Bitboard{1} << SquareOfCell(44)) | (Bitboard{1} << SquareOfCell(55)),
                         (Bitboard{1} << SquareOfCell(45)) | (Bitboard{1} << SquareOfCell(54))};

// The solve benchmark's random source and seeds, so that random:E:I and
// levels:E:I are its positions.
std::uint32_t Seed;
int Below(int n)
{
    Seed = Seed * 134775813u + 1u;
    return static_cast<int>((std::uint64_t{static_cast<std::uint32_t>(n)} * Seed) >> 32);
}

int Empties(const Position& p) { return std::popcount(~(p.own | p.opp)); }

struct Found {
    Position p;
    bool black;  // to move
};

using Chooser = std::function<int(const Position&, int ply, Bitboard moves)>;
using Keep = std::function<bool(const Position&)>;

int RandomMove(const Position&, int, Bitboard moves)
{
    int squares[64], n = 0;
    for (; moves; moves &= moves - 1)
        squares[n++] = std::countr_zero(moves);
    return squares[Below(n)];
}

// Four random plies, then level 1 against level 2.
int LevelMove(const Position& p, int ply, Bitboard moves)
{
    if (ply < 4)
        return RandomMove(p, ply, moves);
    int best[64], discs;
    return best[Below(Levels().Analyse(p, 1 + ply % 2, best, discs))];
}

// The side that moves on even plies takes the most discs (the lowest
// square among equals), the other moves at random: one side dwindles.
int GreedyMove(const Position& p, int ply, Bitboard moves)
{
    if (ply % 2)
        return RandomMove(p, ply, moves);
    int best = -1, most = -1;
    for (; moves; moves &= moves - 1) {
        int square = std::countr_zero(moves), discs = std::popcount(Play(p, square).opp);
        if (discs > most) {
            best = square;
            most = discs;
        }
    }
    return best;
}

// The index-th game (of 1, 2, ...) whose first position with so many
// empty squares, or whose end if it comes first, keep accepts.
Found Find(int empties, int index, const Chooser& choose, const Keep& keep)
{
    for (std::uint32_t game = 1;; ++game) {
        Seed = game * 7919u + static_cast<std::uint32_t>(empties);
        Position p = Start;
        bool black = true;
        for (int ply = 0; Empties(p) > empties; ++ply) {
            Bitboard moves = LegalMoves(p);
            if (!moves) {
                p = Pass(p);
                black = !black;
                if (!LegalMoves(p))
                    break;
                continue;
            }
            p = Play(p, choose(p, ply, moves));
            black = !black;
        }
        if (Empties(p) == empties && keep(p) && index-- == 0)
            return {p, black};
    }
}

bool CanMove(const Position& p) { return LegalMoves(p) != 0; }

// The side to move has none, the other has.
bool MustPass(const Position& p) { return !LegalMoves(p) && LegalMoves(Pass(p)); }

// Some move leaves the opponent without one.
bool ReplyPasses(const Position& p)
{
    for (Bitboard m = LegalMoves(p); m; m &= m - 1)
        if (MustPass(Play(p, std::countr_zero(m))))
            return true;
    return false;
}

// Some move takes every disc the opponent has.
bool CanWipeOut(const Position& p)
{
    for (Bitboard m = LegalMoves(p); m; m &= m - 1)
        if (!Play(p, std::countr_zero(m)).own)
            return true;
    return false;
}

bool Ended(const Position& p) { return !LegalMoves(p) && !LegalMoves(Pass(p)); }

struct Kind {
    const char* name;
    Chooser choose;
    Keep keep;
};

const Kind Kinds[] = {
    {"random", RandomMove, CanMove},        // the solve benchmark's random positions
    {"levels", LevelMove, CanMove},         // and its level games
    {"pass", RandomMove, MustPass},         // the side to move must pass
    {"reply-pass", RandomMove, ReplyPasses},
    {"wipe-out", GreedyMove, CanWipeOut},
    {"end", GreedyMove, Ended},             // the game is over with squares empty
};

// The table: KIND:EMPTIES:INDEX, most at 16 to 20 empty squares, where
// the selective pass runs on small trees.
const char* const Table[] = {
    "random:12:0", "random:13:0", "random:14:0", "random:15:0", "random:16:0", "random:16:1",
    "random:16:2", "random:17:0", "random:17:1", "random:18:0", "random:18:1", "random:18:2",
    "random:19:0", "random:20:0", "random:21:0", "random:22:0", "random:24:0",
    "levels:12:0", "levels:14:0", "levels:15:0", "levels:16:0", "levels:16:1", "levels:17:0",
    "levels:17:1", "levels:18:0", "levels:18:1", "levels:19:0", "levels:20:0", "levels:21:0",
    "levels:22:0", "levels:23:0",
    "pass:13:0", "pass:16:0", "pass:18:0", "pass:20:0",
    "reply-pass:15:0", "reply-pass:17:0", "reply-pass:19:0",
    "wipe-out:14:0", "wipe-out:17:0", "wipe-out:20:0", "wipe-out:23:0",
    "end:18:0", "end:22:0",
};

bool Parse(const std::string& origin, const Kind*& kind, int& empties, int& index)
{
    std::size_t colon = origin.find(':');
    for (const Kind& k : Kinds)
        if (origin.compare(0, colon, k.name) == 0)
            kind = &k;
    return colon != std::string::npos && kind &&
           std::sscanf(origin.c_str() + colon + 1, "%d:%d", &empties, &index) == 2 && empties >= 0 && empties <= 60 &&
           index >= 0;
}

// One best line from the position, lowest squares first: its passes and
// how it ends.
std::string BestLine(reference::Board b, int value)
{
    int passes = 0;
    for (;;) {
        reference::Bits moves = reference::Moves(b);
        if (!moves) {
            if (!reference::Moves(reference::Pass(b)))
                break;
            b = reference::Pass(b);
            value = -value;
            ++passes;
            continue;
        }
        for (; moves; moves &= moves - 1) {
            reference::Board next = reference::Play(b, std::countr_zero(moves));
            if (-reference::Search(next, -value, -value + 1) >= value) {
                b = next;
                value = -value;
                break;
            }
        }
    }
    std::string line = "best line: " + std::to_string(passes) + (passes == 1 ? " pass, " : " passes, ") +
                       std::to_string(std::popcount(~(b.own | b.opp))) + " empty at the end";
    if (!b.own || !b.opp)
        line += ", wipe-out";
    return line;
}

// Up to so many empty squares every answer is found again by plain
// alpha-beta without the table, and must be the same.
constexpr int CheckUpTo = 16;

bool Write(const std::string& origin)
{
    const Kind* kind = nullptr;
    int empties, index;
    if (!Parse(origin, kind, empties, index)) {
        std::fprintf(stderr, "pinned_answers: %s is not KIND:EMPTIES:INDEX\n", origin.c_str());
        return false;
    }
    std::clock_t start = std::clock();
    std::uint64_t nodes = reference::Nodes;
    Found f = Find(empties, index, kind->choose, kind->keep);
    reference::Board b{f.p.own, f.p.opp};
    reference::Answer a = reference::SolveAll(b);
    if (empties <= CheckUpTo) {
        reference::UseTable = false;
        reference::Answer plain = reference::SolveAll(b);
        reference::UseTable = true;
        if (plain.value != a.value || plain.best != a.best) {
            std::fprintf(stderr, "pinned_answers: %s: the table changes the answer\n", origin.c_str());
            return false;
        }
    }
    std::string best;
    for (int square : a.best) {
        if (!best.empty())
            best += ',';
        best += std::to_string(CellOfSquare(square));
    }
    if (best.empty())
        best = reference::Moves(reference::Pass(b)) ? "pass" : "end";
    char cells[65] = {};
    Bitboard x = f.black ? f.p.own : f.p.opp;
    Bitboard o = f.black ? f.p.opp : f.p.own;
    for (int s = 0; s < 64; ++s)
        cells[s] = x >> s & 1 ? 'X' : o >> s & 1 ? 'O' : '-';
    std::printf("%s %c %d %s %s %s\n", cells, f.black ? 'X' : 'O', a.value, best.c_str(), origin.c_str(),
                BestLine(b, a.value).c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %.1f s CPU, %llu positions\n", origin.c_str(),
                 static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC,
                 static_cast<unsigned long long>(reference::Nodes - nodes));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Level games search; the answers do not.
    if (!Levels().Ready())
        return 1;
    std::vector<std::string> origins(argv + 1, argv + argc);
    if (origins.empty()) {
        origins.assign(std::begin(Table), std::end(Table));
        std::printf("%s",
                    "# Exact answers pinned for the solver, by alpha-beta with its own move rules,\n"
                    "# the moves ordered by the opponent's replies and a table of bounds of its own,\n"
                    "# without selective cuts (tests/tools/reference_solver.cpp): it shares no code\n"
                    "# with the engine's search. Written by tests/tools/pinned_answers.cpp, in about\n"
                    "# 12 minutes of CPU:\n"
                    "#   cmake --preset default && cmake --build --preset default --target pinned_answers\n"
                    "#   nice build/default/tests/pinned_answers > tests/engine/pinned_answers.txt\n"
                    "# Each line: the position as --solve reads it (cells 11..18, ..., 81..88 and the\n"
                    "# side to move), its exact value for the side to move, every best cell ascending\n"
                    "# (or pass, or end), how it was made (KIND:EMPTIES:INDEX), and one best line.\n");
    }
    for (const std::string& origin : origins)
        if (!Write(origin))
            return 2;
}
