// The levels' middle-game search: principal variation over an evaluation,
// deepened a ply at a time, with selective cuts at levels 4 to 7, and the
// choice among the root moves it rates equally best.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "engine/movegen.h"
#include "engine/solver.h"

namespace engine {

class Table;

// One middle-game search: what it reads and what it counts.
struct MiddleGame {
    const Weights& weights;
    Table& table;
    Progress& progress;
    std::uint64_t nodes = 0;
    std::uint64_t stopAt = ~std::uint64_t{0};  // positions at which the ply under way is given up
    bool abandoned = false;
};

// The moves among list[0..n) (n > 0) that the level rates equally best,
// ascending, into moves; their count. discs gets its estimate.
int ChooseMiddleGame(MiddleGame& m, const Position& p, const Level& level, Candidate* list, int n, int (&moves)[64],
                     int& discs);

// The value by a full-width search of depth plies, deepened from one.
int ScoreByDepth(MiddleGame& m, const Position& p, int depth, Style style);

} // namespace engine
