// The exact solver on several threads: the same values and the same
// answer bytes as on one, whatever the scheduling.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>
#include <string>
#include <vector>

#include "cli/solve.h"
#include "engine/engine.h"

namespace {

using engine::Bitboard;
using engine::LegalMoves;
using engine::Pass;
using engine::Play;
using engine::Position;
using engine::SquareOfCell;

// Positions after random plies from the start, with a move to make.
std::vector<Position> RandomPositions(unsigned seed, int count, int lo, int hi)
{
    std::mt19937 rng(seed);
    std::vector<Position> out;
    while (static_cast<int>(out.size()) < count) {
        Position p{(Bitboard{1} << SquareOfCell(44)) | (Bitboard{1} << SquareOfCell(55)),
                   (Bitboard{1} << SquareOfCell(45)) | (Bitboard{1} << SquareOfCell(54))};
        int empties = lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
        while (std::popcount(~(p.own | p.opp)) > empties) {
            Bitboard moves = LegalMoves(p);
            if (!moves) {
                p = Pass(p);
                if (!LegalMoves(p))
                    break;
                continue;
            }
            for (unsigned k = rng() % static_cast<unsigned>(std::popcount(moves)); k > 0; --k)
                moves &= moves - 1;
            p = Play(p, std::countr_zero(moves));
        }
        if (std::popcount(~(p.own | p.opp)) == empties && LegalMoves(p))
            out.push_back(p);
    }
    return out;
}

int Minimax(const Position& p)
{
    Bitboard moves = LegalMoves(p);
    if (!moves) {
        if (!LegalMoves(Pass(p)))
            return std::popcount(p.own) - std::popcount(p.opp);
        return -Minimax(Pass(p));
    }
    int best = -64;
    for (; moves; moves &= moves - 1)
        best = std::max(best, -Minimax(Play(p, std::countr_zero(moves))));
    return best;
}

// Threads from the smallest positions on, so that small ones exercise them.
engine::Options Threads(int threads)
{
    engine::Options o;
    o.threads = threads;
    o.parallelEmpties = 1;
    o.splitEmpties = 4;
    return o;
}

TEST(SolverThreads, MatchesExhaustiveSearch)
{
    for (int threads : {1, 3}) {
        engine::Engine search(Threads(threads));
        for (const Position& p : RandomPositions(21, 40, 1, 10)) {
            int best = -2;
            int value = search.Solve(p, &best);
            ASSERT_EQ(value, Minimax(p)) << threads << " threads";
            int lowest = -1;
            for (Bitboard m = LegalMoves(p); m && lowest < 0; m &= m - 1)
                if (-Minimax(Play(p, std::countr_zero(m))) == value)
                    lowest = std::countr_zero(m);
            ASSERT_EQ(best, lowest) << threads << " threads";
        }
    }
}

TEST(SolverThreads, SameAnswerBytesOnOneTwoAndFourThreads)
{
    std::vector<std::string> lines;
    for (const Position& p : RandomPositions(5, 12, 11, 16)) {
        std::string line(64, '-');
        for (int s = 0; s < 64; ++s)
            line[static_cast<std::size_t>(s)] = (p.own >> s & 1) ? 'X' : (p.opp >> s & 1) ? 'O' : '-';
        lines.push_back(line + " X");
    }
    std::vector<std::string> expected;
    for (int threads : {1, 2, 4}) {
        engine::Engine search(Threads(threads));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            char answer[96];
            ASSERT_TRUE(AnswerSolveLine(search, lines[i], answer));
            if (threads == 1)
                expected.push_back(answer);
            else
                EXPECT_EQ(answer, expected[i]) << lines[i] << ", " << threads << " threads";
        }
    }
}

} // namespace
