// The learned evaluation: built-in weights as the trainer wrote them, and
// the same value for a position turned or mirrored.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "engine/patterns.h"

namespace {

using engine::Bitboard;
using engine::Position;

// The image of a position under one of the eight symmetries of the board,
// square by square.
Bitboard Image(Bitboard b, int symmetry)
{
    Bitboard out = 0;
    for (int s = 0; s < 64; ++s) {
        if (!(b >> s & 1))
            continue;
        int row = s / 8, column = s % 8;
        if (symmetry & 1)
            column = 7 - column;
        if (symmetry & 2)
            row = 7 - row;
        if (symmetry & 4)
            std::swap(row, column);
        out |= Bitboard{1} << (8 * row + column);
    }
    return out;
}

std::vector<Position> RandomPositions(unsigned seed, int count)
{
    std::mt19937 rng(seed);
    std::vector<Position> out;
    Position start{(Bitboard{1} << 27) | (Bitboard{1} << 36), (Bitboard{1} << 28) | (Bitboard{1} << 35)};
    while (static_cast<int>(out.size()) < count) {
        Position p = start;
        for (int plies = static_cast<int>(rng() % 58); plies > 0; --plies) {
            Bitboard moves = engine::LegalMoves(p);
            if (!moves) {
                p = engine::Pass(p);
                if (!engine::LegalMoves(p))
                    break;
                continue;
            }
            for (int k = static_cast<int>(rng() % static_cast<unsigned>(std::popcount(moves))); k > 0; --k)
                moves &= moves - 1;
            p = engine::Play(p, std::countr_zero(moves));
        }
        out.push_back(p);
    }
    return out;
}

// What the trainer printed when it wrote src/engine/data/weights.bin and
// order_weights.bin; new weights bring their new checksums here.
TEST(Patterns, BuiltInWeightsMatchTheTrainersChecksum)
{
    EXPECT_EQ(engine::Weights::Builtin().Checksum(), 0xB919D2DDu);
    EXPECT_EQ(engine::Weights::Builtin().OrderChecksum(), 0x2A598186u);
}

// The solver's weights cover its stages only; later ones are the game's.
TEST(Patterns, SolverWeightsHandOverToTheGamesAfterTheirStages)
{
    const engine::Weights& w = engine::Weights::Builtin();
    int differ = 0;
    for (const Position& p : RandomPositions(7, 300)) {
        int empties = std::popcount(~(p.own | p.opp));
        int order = w.OrderEvaluate(p.own, p.opp), game = w.Evaluate(p.own, p.opp);
        if (engine::StageOf(empties) >= engine::OrderStages)
            ASSERT_EQ(order, game) << empties;
        else
            differ += order != game;
    }
    EXPECT_GT(differ, 0);
}

TEST(Patterns, SymmetricImagesEvaluateTheSame)
{
    // Random weights, so that every entry tells.
    engine::Weights weights;
    std::mt19937 rng(21);
    for (int s = 0; s < engine::Stages; ++s) {
        std::vector<std::int16_t> w(static_cast<std::size_t>(engine::CanonicalCount()));
        for (std::int16_t& v : w)
            v = static_cast<std::int16_t>(static_cast<int>(rng() % 201) - 100);
        weights.SetCanonical(s, w.data());
    }
    for (const Position& p : RandomPositions(5, 300)) {
        int value = weights.Evaluate(p.own, p.opp);
        for (int symmetry = 1; symmetry < 8; ++symmetry)
            ASSERT_EQ(weights.Evaluate(Image(p.own, symmetry), Image(p.opp, symmetry)), value)
                << std::hex << p.own << " " << p.opp << " symmetry " << symmetry;
    }
}

// The deep solver's quick evaluation reads the edges, corners and
// mobility in place; it must look up what the whole evaluation's features
// of those kinds do, whichever way round it reads each one. So the whole
// evaluation, with random weights for those kinds and none for the
// others, is what it must give.
TEST(Patterns, QuickEvaluationSumsTheEdgeCornerAndMobilityFeatures)
{
    engine::Weights weights;
    std::mt19937 rng(33);
    for (int s = engine::OrderStages; s < engine::Stages; ++s) {
        std::vector<std::int16_t> w;  // canonical entries, kind by kind in file order
        for (int kind = 0; kind < engine::Kinds; ++kind) {
            const engine::PatternKind& k = engine::PatternKinds[kind];
            bool counted = kind == 0 || kind == 1 || kind == 10;  // edges, corners, mobility
            for (int i = 0; i < k.size; ++i)
                if (engine::CanonicalIndex(k, i) == i)
                    w.push_back(counted ? static_cast<std::int16_t>(static_cast<int>(rng() % 201) - 100) : 0);
        }
        weights.SetCanonical(s, w.data());
    }
    int checked = 0;
    for (const Position& p : RandomPositions(13, 600)) {
        if (engine::StageOf(std::popcount(~(p.own | p.opp))) < engine::OrderStages)
            continue;  // the solver's own weights, left at zero here
        ASSERT_EQ(weights.QuickEvaluate(p.own, p.opp), weights.Evaluate(p.own, p.opp)) << std::hex << p.own << " " << p.opp;
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

} // namespace
