// The exact solver's threads: started once with the engine, asleep while
// idle, and reused for every root window of every solve. A window's
// search runs on the calling thread; once a node of enough empty squares
// has searched its first move without a cut, threads with nothing to do
// share out its other moves. Sharing takes no lock: each thread keeps the
// nodes it shares in a stack of its own, and the others find them there.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/movegen.h"
#include "engine/nodes.h"
#include "engine/solver.h"

namespace engine {

// A node whose remaining moves several threads search. Kept by the pool
// for reuse, so that a thread that finds it just as its owner closes it
// still reads a live object and sees that it is closed.
struct Split {
    std::atomic<const Candidate*> list{nullptr};
    std::atomic<int> n{0}, beta{0};
    std::atomic<Split*> parent{nullptr};
    std::atomic<int> next{0};  // the next move to take
    std::atomic<int> alpha{0};
    std::atomic<std::uint32_t> best{0};  // the best value and its move, packed
    std::atomic<int> helpers{0};
    std::atomic<bool> open{false}, cut{false};
};

class Pool {
public:
    // Starts threads - 1 helpers (fewer when the system refuses some).
    explicit Pool(int threads);
    ~Pool();
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    int Threads() const { return threads_; }
    // Some thread waits for work: worth sharing a node.
    bool Idle() const { return idle_.load(std::memory_order_relaxed) > 0; }

    // Runs search(main) on this thread while the helpers join the nodes it
    // shares; returns its value once every helper has left. The helpers'
    // positions are published and added to solver.nodes.
    template <class Search>
    int Run(Solver& solver, Worker& main, Search&& search)
    {
        Open(solver, main);
        int value = search(main);
        Close(solver);
        return value;
    }

    // Shares out list[1..n) of w's node among idle threads and w; best gets
    // the node's once every thread has left it. False, with nothing done,
    // when w is too deep in shared nodes already.
    bool Share(Worker& w, const Candidate* list, int n, int alpha, int beta, Best& best);

    struct State;

private:
    void Open(Solver& solver, Worker& main);
    void Close(Solver& solver);
    void Serve(int thread);
    void Help(Worker& w);
    Split* Joinable(const Split* within) const;
    void Join(Worker& w, Split& s);

    int threads_ = 1;
    std::atomic<int> idle_{0};
    std::unique_ptr<State> state_;
};

// The same for the node w searches, through its pool.
void SplitMoves(Worker& w, const Candidate* list, int n, int alpha, int beta, Best& best);

} // namespace engine
