// What the exact solver's parts share: the state of one engine's solving
// and the state of one thread in it. Values are final disc differences
// for the side to move, empty squares counting for neither.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/engine.h"
#include "engine/table.h"

namespace engine {

class Table;
class Pool;
struct Split;

// What another thread may read of the search under way (SearchStatus).
struct Progress {
    std::atomic<std::uint64_t> nodes{0};
    std::atomic<int> depth{0}, lower{-64}, upper{64};
    // The pass under way, and the last one done: how sure, its value and move.
    std::atomic<int> percent{100}, donePercent{0}, doneValue{0}, doneMove{-1};

    void Start();
};

// A pass of the solver: a selective one trusts the shallow searches of the
// move order where they clear the window by a margin: so many tenths of a
// disc, or so many tenths of the standard deviation of their error. Its
// value is only a guess, and its table entries, as sure as the pass, order
// the moves of the passes after it and settle windows only in passes at
// most as sure. The last pass is exact.
struct Confidence {
    int sure = Exact;
    int margin = 0, sigmas = 0;
    int percent = 100;  // how often its cuts are right, for the progress report
    // Plies the move order's searches leave out where the table has no
    // move: an exact pass's order need not estimate the value.
    int briefer = 0;
    // Whether the order near the end evaluates only edges, corners and
    // mobility (Weights::QuickEvaluate).
    bool quick = false;
};

// One engine's solving: shared by its threads, changed only between root
// windows, while no helper runs.
struct Solver {
    Table& table;
    const Weights& weights;
    Pool& pool;
    const Options& options;
    Progress& progress;
    Confidence pass;
    // Positions visited by every solve, added when a window ends.
    std::uint64_t nodes = 0;
    // Every window on the calling thread: a selective answer depends on
    // the order of search, and so would differ with the threads.
    bool serial = false;
};

// One thread's part in a solve.
struct Worker {
    explicit Worker(Solver& s) : solver(s) {}

    Solver& solver;
    std::uint64_t nodes = 0, published = 0;
    Split* at = nullptr;  // the innermost shared node this thread works under
    bool shared = false;  // other threads are in the same tree
    int thread = 0;       // the pool's number for this thread, 0 the searching one

    // Whether a node this thread works under has been cut by another.
    bool Stopped() const;
    void Publish()
    {
        solver.progress.nodes.fetch_add(nodes - published, std::memory_order_relaxed);
        published = nodes;
    }
};

} // namespace engine
