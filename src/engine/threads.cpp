#include "engine/threads.h"

#include <functional>
#include <vector>

#include "engine/deep.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <thread>
#endif

namespace engine {

namespace {

// A thread's shared nodes nest at most once a ply, a pass included.
constexpr int MaxNesting = 128;

// Waiting on a word until it changes, and waking those who wait, and
// threads: the system's own calls.
#if defined(_WIN32)
void Park(std::atomic<std::uint32_t>& word, std::uint32_t seen)
{
    WaitOnAddress(&word, &seen, sizeof seen, INFINITE);
}
void WakeAll(std::atomic<std::uint32_t>& word) { WakeByAddressAll(&word); }

// A named function, not a lambda: 32-bit Windows wants the stdcall convention.
DWORD WINAPI RunBody(LPVOID body)
{
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}

class OsThread {
public:
    bool Start(std::function<void()>* body)
    {
        handle_ = CreateThread(nullptr, 0, RunBody, body, 0, nullptr);
        return handle_ != nullptr;
    }
    void Join()
    {
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
    }

private:
    HANDLE handle_ = nullptr;
};
#else
void Park(std::atomic<std::uint32_t>& word, std::uint32_t seen) { word.wait(seen, std::memory_order_acquire); }
void WakeAll(std::atomic<std::uint32_t>& word) { word.notify_all(); }

class OsThread {
public:
    bool Start(std::function<void()>* body)
    {
        try {
            thread_ = std::thread(*body);
        } catch (...) {
            return false;
        }
        return true;
    }
    void Join() { thread_.join(); }

private:
    std::thread thread_;
};
#endif

// A node's best value so far (-64..64) and its move, in one word.
std::uint32_t PackBest(int value, int move)
{
    return static_cast<std::uint32_t>(value + 128) << 8 | static_cast<std::uint8_t>(move);
}
int BestValue(std::uint32_t packed) { return static_cast<int>(packed >> 8) - 128; }
int BestMove(std::uint32_t packed) { return static_cast<std::int8_t>(packed & 0xFF); }

// Searches the split node's moves one after another until none is left
// or one cuts.
void SearchSplit(Worker& w, Split& s)
{
    Split* outer = w.at;
    w.at = &s;
    const Candidate* list = s.list.load(std::memory_order_relaxed);
    int n = s.n.load(std::memory_order_relaxed), beta = s.beta.load(std::memory_order_relaxed);
    auto live = [&w] { return !w.Stopped(); };
    for (;;) {
        int k = s.next.fetch_add(1, std::memory_order_relaxed);
        if (k >= n || w.Stopped())
            break;
        const Candidate& c = list[k];
        int alpha = s.alpha.load(std::memory_order_relaxed);
        int value = MoveValue(
            k, alpha, beta, [&](int a, int b) { return -SolveDeep(w, c.own, c.opp, -b, -a, false); }, live);
        if (w.Stopped())
            break;
        for (std::uint32_t best = s.best.load(std::memory_order_relaxed);
             value > BestValue(best) &&
             !s.best.compare_exchange_weak(best, PackBest(value, c.square), std::memory_order_relaxed);)
            ;
        if (value >= beta)
            s.cut.store(true, std::memory_order_relaxed);
        for (int a = s.alpha.load(std::memory_order_relaxed);
             value > a && !s.alpha.compare_exchange_weak(a, value, std::memory_order_relaxed);)
            ;
    }
    w.at = outer;
}

// Whether s lies within the node owned (or is it).
bool Within(const Split* s, const Split* owned)
{
    for (; s; s = s->parent.load(std::memory_order_relaxed))
        if (s == owned)
            return true;
    return false;
}

} // namespace

bool Worker::Stopped() const
{
    for (const Split* s = at; s; s = s->parent.load(std::memory_order_relaxed))
        if (s->cut.load(std::memory_order_relaxed))
            return true;
    return false;
}

// The nodes one thread shares, innermost last.
struct SplitStack {
    std::atomic<int> depth{0};
    Split splits[MaxNesting];
};

struct Pool::State {
    explicit State(int threads) : stacks(new SplitStack[static_cast<std::size_t>(threads)]) {}

    std::unique_ptr<SplitStack[]> stacks;  // one a thread, the searching one first
    // Bumped whenever work appears, a helper leaves a node or a window ends.
    std::atomic<std::uint32_t> event{0};
    // Bumped when a window starts, and when the helpers are to end.
    std::atomic<std::uint32_t> window{0};
    std::atomic<std::uint32_t> finished{0};  // helpers done with the window
    std::atomic<bool> windowOver{true}, quit{false};
    Solver* solver = nullptr;
    std::vector<std::uint64_t> nodes;  // each thread's in the window
    std::vector<std::function<void()>> bodies;
    std::vector<OsThread> threads;
};

Pool::Pool(int threads) : state_(new State(threads < 1 ? 1 : threads))
{
    State& s = *state_;
    int wanted = threads < 1 ? 1 : threads;
    s.nodes.assign(static_cast<std::size_t>(wanted), 0);
    s.bodies.reserve(static_cast<std::size_t>(wanted));
    s.threads.reserve(static_cast<std::size_t>(wanted));
    for (int t = 1; t < wanted; ++t) {
        s.bodies.emplace_back([this, t] { Serve(t); });
        s.threads.emplace_back();
        if (!s.threads.back().Start(&s.bodies.back())) {
            s.threads.pop_back();  // fewer threads then
            break;
        }
        ++threads_;
    }
}

Pool::~Pool()
{
    State& s = *state_;
    s.quit.store(true, std::memory_order_release);
    s.window.fetch_add(1, std::memory_order_release);
    WakeAll(s.window);
    for (OsThread& t : s.threads)
        t.Join();
}

void Pool::Open(Solver& solver, Worker& main)
{
    State& s = *state_;
    s.solver = &solver;
    s.windowOver.store(false, std::memory_order_relaxed);
    s.finished.store(0, std::memory_order_relaxed);
    main.shared = threads_ > 1;
    main.thread = 0;
    s.window.fetch_add(1, std::memory_order_release);
    WakeAll(s.window);
}

void Pool::Close(Solver& solver)
{
    State& s = *state_;
    s.windowOver.store(true, std::memory_order_release);
    s.event.fetch_add(1, std::memory_order_release);
    WakeAll(s.event);
    auto helpers = static_cast<std::uint32_t>(threads_ - 1);
    for (std::uint32_t done; (done = s.finished.load(std::memory_order_acquire)) != helpers;)
        Park(s.finished, done);
    for (int t = 1; t < threads_; ++t)
        solver.nodes += s.nodes[static_cast<std::size_t>(t)];
}

// A helper's life: asleep between windows, helping during them.
void Pool::Serve(int thread)
{
    State& s = *state_;
    std::uint32_t seen = 0;
    for (;;) {
        for (std::uint32_t now; (now = s.window.load(std::memory_order_acquire)) == seen;)
            Park(s.window, now);
        seen = s.window.load(std::memory_order_acquire);
        if (s.quit.load(std::memory_order_acquire))
            return;
        Worker w(*s.solver);
        w.shared = true;
        w.thread = thread;
        Help(w);
        w.Publish();
        s.nodes[static_cast<std::size_t>(thread)] = w.nodes;
        s.finished.fetch_add(1, std::memory_order_release);
        WakeAll(s.finished);
    }
}

// Joins shared nodes until the window is over.
void Pool::Help(Worker& w)
{
    State& s = *state_;
    for (;;) {
        std::uint32_t seen = s.event.load(std::memory_order_acquire);
        if (Split* split = Joinable(nullptr)) {
            Join(w, *split);
            continue;
        }
        if (s.windowOver.load(std::memory_order_acquire))
            return;
        idle_.fetch_add(1, std::memory_order_relaxed);
        Park(s.event, seen);
        idle_.fetch_sub(1, std::memory_order_relaxed);
    }
}

// An open node with moves left, within the given one if any; null if none.
Split* Pool::Joinable(const Split* within) const
{
    for (int t = 0; t < threads_; ++t) {
        SplitStack& stack = state_->stacks[t];
        int depth = stack.depth.load(std::memory_order_acquire);
        for (int i = 0; i < depth; ++i) {
            Split& s = stack.splits[i];
            if (s.open.load(std::memory_order_acquire) &&
                s.next.load(std::memory_order_relaxed) < s.n.load(std::memory_order_relaxed) &&
                !s.cut.load(std::memory_order_relaxed) && (!within || Within(&s, within)))
                return &s;
        }
    }
    return nullptr;
}

// Helps search s, unless its owner has closed it meanwhile: the owner
// waits for every helper counted, and counts none after closing.
void Pool::Join(Worker& w, Split& s)
{
    s.helpers.fetch_add(1, std::memory_order_seq_cst);
    if (s.open.load(std::memory_order_seq_cst))
        SearchSplit(w, s);
    s.helpers.fetch_sub(1, std::memory_order_seq_cst);
    state_->event.fetch_add(1, std::memory_order_release);
    WakeAll(state_->event);
}

bool Pool::Share(Worker& w, const Candidate* list, int n, int alpha, int beta, Best& best)
{
    State& st = *state_;
    SplitStack& stack = st.stacks[w.thread];
    int depth = stack.depth.load(std::memory_order_relaxed);
    if (depth == MaxNesting)
        return false;
    Split& s = stack.splits[depth];
    s.list.store(list, std::memory_order_relaxed);
    s.n.store(n, std::memory_order_relaxed);
    s.beta.store(beta, std::memory_order_relaxed);
    s.parent.store(w.at, std::memory_order_relaxed);
    s.next.store(1, std::memory_order_relaxed);
    s.alpha.store(alpha, std::memory_order_relaxed);
    s.best.store(PackBest(best.value, best.move), std::memory_order_relaxed);
    s.cut.store(false, std::memory_order_relaxed);
    s.open.store(true, std::memory_order_seq_cst);
    stack.depth.store(depth + 1, std::memory_order_release);
    st.event.fetch_add(1, std::memory_order_release);
    WakeAll(st.event);

    SearchSplit(w, s);
    s.open.store(false, std::memory_order_seq_cst);
    // Help those still on it, within this node only, so that the wait
    // ends. Waiting, this thread counts as idle, so that they share out
    // the nodes they are in.
    for (;;) {
        std::uint32_t seen = st.event.load(std::memory_order_acquire);
        if (s.helpers.load(std::memory_order_seq_cst) == 0)
            break;
        if (Split* inner = Joinable(&s)) {
            Join(w, *inner);
            continue;
        }
        idle_.fetch_add(1, std::memory_order_relaxed);
        Park(st.event, seen);
        idle_.fetch_sub(1, std::memory_order_relaxed);
    }
    stack.depth.store(depth, std::memory_order_release);
    std::uint32_t packed = s.best.load(std::memory_order_relaxed);
    best.value = BestValue(packed);
    best.move = BestMove(packed);
    return true;
}

void SplitMoves(Worker& w, const Candidate* list, int n, int alpha, int beta, Best& best)
{
    if (!w.solver.pool.Share(w, list, n, alpha, beta, best)) {
        // Too deep in shared nodes already: the moves one after another.
        auto live = [&w] { return !w.Stopped(); };
        for (int k = 1; k < n; ++k) {
            const Candidate& c = list[k];
            int value = MoveValue(
                k, alpha, beta, [&](int a, int b) { return -SolveDeep(w, c.own, c.opp, -b, -a, false); }, live);
            if (w.Stopped() || best.Take(value, c.square, alpha, beta))
                return;
        }
    }
}

} // namespace engine
