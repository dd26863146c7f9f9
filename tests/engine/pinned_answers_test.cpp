// The solver's answers against exact ones pinned in a table by a plain
// reference search (tests/tools/pinned_answers.cpp), at 12 to 24 empty
// squares: its value, and the lowest of the table's best moves, with one
// thread and several, with the selective pass and without. The builds
// with sanitizers, many times slower, solve only the positions up to
// PINNED_ANSWERS_MAX_EMPTIES (tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace {

using engine::Bitboard;
using engine::Position;

struct Pinned {
    std::string line;  // as --solve reads it, and how it was made
    Position position;
    int value;
    std::vector<int> best;  // cells, ascending; none for pass or end
};

std::vector<Pinned> ReadTable()
{
    std::vector<Pinned> table;
    std::ifstream in(PINNED_ANSWERS);
    for (std::string text; std::getline(in, text);) {
        if (text.empty() || text[0] == '#')
            continue;
        std::istringstream fields(text);
        std::string cells, side, best, origin, cell;
        Pinned p{};
        fields >> cells >> side >> p.value >> best >> origin;
        p.line = cells + " " + side + " (" + origin + ")";
        Bitboard x = 0, o = 0;
        for (int s = 0; s < 64 && s < static_cast<int>(cells.size()); ++s) {
            x |= Bitboard{cells[static_cast<std::size_t>(s)] == 'X'} << s;
            o |= Bitboard{cells[static_cast<std::size_t>(s)] == 'O'} << s;
        }
        p.position = side == "X" ? Position{x, o} : Position{o, x};
        if (best != "pass" && best != "end")
            for (std::istringstream cellList(best); std::getline(cellList, cell, ',');)
                p.best.push_back(std::stoi(cell));
        table.push_back(p);
    }
    return table;
}

// The engine's settings for one way of solving: the only place that
// knows them. Several threads start from the smallest positions, so that
// every position in the table runs on them.
struct Solving {
    int threads;
    bool selective;
    int upTo;  // empty squares
    bool deep = false;  // the deep solve's passes from 12 empty squares, short of 99% from 16
};

// One thread with the selective pass, as the program plays, solves the
// whole table; several threads with it the positions up to 20 empty
// squares, where it and the threads' splits already run; without it, the
// exact search alone, up to 18. All to keep the time down.
constexpr int UpTo20 = std::min(20, PINNED_ANSWERS_MAX_EMPTIES);
constexpr int UpTo18 = std::min(18, PINNED_ANSWERS_MAX_EMPTIES);

void Check(Solving how)
{
    engine::Options options;
    options.threads = how.threads;
    if (how.threads > 1) {
        options.parallelEmpties = 1;
        options.splitEmpties = 4;
    }
    if (!how.selective)
        options.selectiveEmpties = 99;
    if (how.deep) {
        options.deepEmpties = 12;
        options.briefEmpties = 16;
    }
    engine::Engine search(options);
    ASSERT_TRUE(search.Ready());

    std::vector<Pinned> table = ReadTable();
    ASSERT_GE(table.size(), 30u) << "the table " PINNED_ANSWERS " is missing or short";
    for (const Pinned& p : table) {
        if (std::popcount(~(p.position.own | p.position.opp)) > how.upTo)
            continue;
        int square = -2;
        int value = search.Solve(p.position, &square);
        int cell = square < 0 ? -1 : engine::CellOfSquare(square);
        EXPECT_EQ(value, p.value) << p.line;
        EXPECT_EQ(cell, p.best.empty() ? -1 : p.best.front()) << p.line;
    }
}

TEST(PinnedAnswers, OneThread) { Check({1, true, PINNED_ANSWERS_MAX_EMPTIES}); }

TEST(PinnedAnswers, OneThreadWithoutSelectivePass) { Check({1, false, UpTo18}); }

// Named for the thread sanitizer's run, which takes the solver's threads.
TEST(PinnedAnswers, SolverThreads) { Check({3, true, UpTo20}); }

TEST(PinnedAnswers, SolverThreadsWithoutSelectivePass) { Check({3, false, UpTo18}); }

// The passes of growing confidence only shape the exact pass's work.
TEST(PinnedAnswers, DeepPasses) { Check({2, true, UpTo20, true}); }

// A level playing by the selective passes answers from the position
// alone: the same on one thread and several, and after its children were
// answered (their passes' entries would settle its windows), with a legal
// move and an estimate near the exact value.
TEST(PinnedAnswers, PassesAnswerFromThePositionAlone)
{
    engine::Options several;
    several.threads = 3;
    several.parallelEmpties = 1;
    several.splitEmpties = 4;
    engine::Engine fresh, after(several);
    ASSERT_TRUE(fresh.Ready() && after.Ready());
    const engine::Level level{1, 0, engine::Style::Selective, false, 64, 99};

    int positions = 0, error = 0;
    for (const Pinned& p : ReadTable()) {
        Bitboard legal = engine::LegalMoves(p.position);
        if (!legal || std::popcount(~(p.position.own | p.position.opp)) > UpTo18)
            continue;
        int moves[64], discs, square, value;
        fresh.Analyse(p.position, level, moves, discs);
        square = moves[0];
        for (Bitboard m = legal; m; m &= m - 1)
            if (Position child = engine::Play(p.position, std::countr_zero(m)); engine::LegalMoves(child))
                after.Analyse(child, level, moves, value);
        after.Analyse(p.position, level, moves, value);
        EXPECT_EQ(value, discs) << p.line;
        EXPECT_EQ(moves[0], square) << p.line;
        EXPECT_TRUE(legal >> square & 1) << p.line;
        error += std::abs(discs - p.value);
        ++positions;
    }
    ASSERT_GE(positions, 10);
    EXPECT_LE(error, 2 * positions) << "mean error over 2 discs";
}

} // namespace
