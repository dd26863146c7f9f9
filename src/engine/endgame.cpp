#include "engine/endgame.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

// The Windows compilers we build with have no std::thread: one thread there.
#if !defined(_WIN32)
#define SHIROKURO_THREADS 1
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

#include "engine/evaluate.h"
#include "engine/movegen.h"
#include "engine/patterns.h"
#include "engine/stability.h"
#include "engine/table.h"

namespace engine {

std::uint64_t SearchNodes = 0;

namespace {

// Up to this many empty squares moves are tried in parity order without
// generating them; from TableEmpties on, positions go to the table.
int SmallEmpties = 5;
int TableEmpties = 7;
// From here the children's table entries may cut before any is searched.
int EtcEmpties = 10;
// Up to here the number of replies alone orders the moves; the finer key
// costs more than it saves.
int RepliesOnlyEmpties = 7;
// From here a shallow search with the evaluation joins the order, with
// the fastest-first key weighed in.
int ShallowEmpties = 10;
int ShallowWeight = 1, MobilityWeight = 2;
int ShallowWindow = 80;  // tenths of a disc
// Root windows with fewer empty squares stay on one thread. From
// SplitEmpties on, once a node's first move has not cut, idle threads
// share out its other moves.
int ParallelEmpties = 12;
int SplitEmpties = 12;

int Threads = 1;

// A selective pass (margin > 0, in tenths of a disc) trusts the shallow
// search where it clears the window by the margin. Its value is only a
// guess and its entries only order moves for the exact passes after it;
// they are kept apart by a negative depth.
int Margin = 0;
int SelectiveFrom = 16;  // empty squares at the root
int MarginTenths = 80;

std::atomic<std::uint64_t> PublishedNodes{0};
std::atomic<int> KnownLower{-64}, KnownUpper{64};
std::atomic<int> KnownDepth{0};

struct Split;

struct Worker {
    std::uint64_t nodes = 0, published = 0;
    Split* at = nullptr;  // the innermost shared node this thread works under
    bool shared = false;  // other threads are in the same tree

    bool Stopped() const;
    void Publish()
    {
        PublishedNodes.fetch_add(nodes - published, std::memory_order_relaxed);
        published = nodes;
    }
};

#if SHIROKURO_THREADS
// A node whose remaining moves several threads search. Its owner waits
// until every helper has left it.
struct Split {
    const Candidate* list;
    int n, beta;
    Split* parent;
    std::atomic<int> next;
    std::atomic<bool> cut{false};
    int helpers = 0;  // under Pool.lock
    std::mutex lock;  // guards alpha, best and bestMove
    int alpha, best, bestMove;
};

bool Worker::Stopped() const
{
    for (const Split* s = at; s; s = s->parent)
        if (s->cut.load(std::memory_order_relaxed))
            return true;
    return false;
}

// The threads of one root window and the nodes they may join.
struct {
    std::mutex lock;
    std::condition_variable wake;
    std::vector<Split*> open;
    std::atomic<int> idle{0};  // changed under lock, read without it
    bool done = false;
} Pool;

int SolveDeep(Worker& w, Bitboard own, Bitboard opp, int alpha, int beta, bool passed);

// Searches the split node's moves one after another until none is left
// or one cuts.
void SearchSplit(Worker& w, Split& s)
{
    Split* outer = w.at;
    w.at = &s;
    for (;;) {
        int k = s.next.fetch_add(1, std::memory_order_relaxed);
        if (k >= s.n || w.Stopped())
            break;
        const Candidate& c = s.list[k];
        int alpha;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            alpha = s.alpha;
        }
        int value = -SolveDeep(w, c.own, c.opp, -alpha - 1, -alpha, false);
        if (value > alpha && value < s.beta && !w.Stopped())
            value = -SolveDeep(w, c.own, c.opp, -s.beta, -alpha, false);
        if (w.Stopped())
            break;
        std::lock_guard<std::mutex> guard(s.lock);
        if (value > s.best) {
            s.best = value;
            s.bestMove = c.square;
            if (value >= s.beta)
                s.cut.store(true, std::memory_order_relaxed);
            s.alpha = std::max(s.alpha, value);
        }
    }
    w.at = outer;
}

// Whether s lies within the node this thread owns (or is it).
bool Within(const Split* s, const Split* owned)
{
    for (; s; s = s->parent)
        if (s == owned)
            return true;
    return false;
}

// An open node with moves left, within the given one if any; null if none.
Split* Joinable(const Split* within)
{
    for (Split* s : Pool.open)
        if (s->next.load(std::memory_order_relaxed) < s->n && !s->cut.load(std::memory_order_relaxed) &&
            (!within || Within(s, within)))
            return s;
    return nullptr;
}

// Helps search s, with the pool's lock held on entry and on return.
void Join(Worker& w, Split& s, std::unique_lock<std::mutex>& guard)
{
    ++s.helpers;
    guard.unlock();
    SearchSplit(w, s);
    guard.lock();
    --s.helpers;
    Pool.wake.notify_all();
}

// Joins open nodes until the root window is done; for helper threads.
void Help(Worker& w)
{
    std::unique_lock<std::mutex> guard(Pool.lock);
    for (;;) {
        Split* s = Joinable(nullptr);
        if (!s) {
            if (Pool.done)
                return;
            ++Pool.idle;
            Pool.wake.wait(guard);
            --Pool.idle;
            continue;
        }
        Join(w, *s, guard);
    }
}

// Shares out list[1..n) among idle threads and this one; best and
// bestMove get the node's once every thread has left it.
void SplitMoves(Worker& w, const Candidate* list, int n, int alpha, int beta, int& best, int& bestMove)
{
    Split s{list, n, beta, w.at, {1}, {false}, 0, {}, alpha, best, bestMove};
    {
        std::lock_guard<std::mutex> guard(Pool.lock);
        Pool.open.push_back(&s);
    }
    Pool.wake.notify_all();
    SearchSplit(w, s);
    std::unique_lock<std::mutex> guard(Pool.lock);
    std::erase(Pool.open, &s);
    // Help those still on it, within this node only, so the wait ends.
    // Waiting, this thread counts as idle, so that they share out the
    // nodes they are in.
    while (s.helpers) {
        if (Split* inner = Joinable(&s)) {
            Join(w, *inner, guard);
        } else {
            ++Pool.idle;
            Pool.wake.wait(guard);
            --Pool.idle;
        }
    }
    best = s.best;
    bestMove = s.bestMove;
}

#else
struct Split {};
bool Worker::Stopped() const { return false; }
#endif

constexpr Bitboard Quadrants[4] = {0x000000000F0F0F0Full, 0x00000000F0F0F0F0ull, 0x0F0F0F0F00000000ull,
                                   0xF0F0F0F000000000ull};

int QuadrantOf(int square) { return (square >> 2 & 1) | (square >> 4 & 2); }

int DiscDifference(Bitboard own, Bitboard opp) { return Count(own) - Count(opp); }

// Empty squares in quadrants with an odd number of them: playing there
// tends to leave the last move of the region to the player. Few squares
// are empty here, so each toggles its quadrant.
Bitboard OddRegions(Bitboard empty)
{
    Bitboard odd = 0;
    for (; empty; empty &= empty - 1) {
        int square = std::countr_zero(empty);
        odd ^= Quadrants[QuadrantOf(square)];
    }
    return odd;
}

// The empty squares, those in odd quadrants first.
template <int N>
void ParityOrder(Bitboard empty, Bitboard odd, int (&squares)[N])
{
    int n = 0;
    for (Bitboard group : {empty & odd, empty & ~odd})
        for (; group && n < N; group &= group - 1)
            squares[n++] = std::countr_zero(group);
}

// The discs a move on the last empty square turns: every other square is
// taken, so on each line all up to the mover's nearest disc, if any. Each
// line's mover bits are gathered into a byte and counted by table, a few
// reads instead of following eight rays. The places a short diagonal
// lacks read as no disc of the mover's, so a run into them turns nothing.
struct LastFlipTable {
    std::uint8_t count[8][256];  // by the square's place on the line and the mover's discs there
    constexpr LastFlipTable() : count{}
    {
        for (int at = 0; at < 8; ++at)
            for (int bits = 0; bits < 256; ++bits) {
                int n = 0;
                for (int step : {1, -1}) {
                    int i = at + step;
                    while (i >= 0 && i < 8 && !(bits >> i & 1))
                        i += step;
                    if (i >= 0 && i < 8)
                        n += (i - at) * step - 1;
                }
                count[at][bits] = static_cast<std::uint8_t>(n);
            }
    }
};
constexpr LastFlipTable LastFlipCounts;

int LastFlips(int square, Bitboard mover)
{
    constexpr Bitboard FirstColumn = 0x0101010101010101ull;
    const auto& t = LastFlipCounts.count;
    const Rays& r = AllRays.of[square];  // direction 1 the rising diagonal, 3 the falling one
    int row = square >> 3, column = square & 7;
    auto byColumn = [&](int d) { return static_cast<unsigned>(((mover & (r.up[d] | r.down[d])) * FirstColumn) >> 56); };
    unsigned across = static_cast<unsigned>(mover >> (8 * row)) & 0xFF;
    unsigned along = static_cast<unsigned>((((mover >> column) & FirstColumn) * 0x0102040810204080ull) >> 56);
    return t[column][across] + t[row][along] + t[column][byColumn(1)] + t[column][byColumn(3)];
}

int LastEmpty(Worker& w, Bitboard own, Bitboard opp, int square)
{
    ++w.nodes;
    int diff = 2 * Count(own) - 63;
    if (int n = LastFlips(square, own))
        return diff + 2 * n + 1;
    if (int n = LastFlips(square, opp))
        return diff - 2 * n - 1;
    return diff;
}

// The squares next to each square: a move needs an opponent's disc there.
struct NeighbourTable {
    Bitboard of[64];
    constexpr NeighbourTable() : of{}
    {
        for (int s = 0; s < 64; ++s)
            of[s] = Around(Bitboard{1} << s);
    }
};
constexpr NeighbourTable Neighbours;

// The discs a move on square turns, if it may be a move at all.
Bitboard FlipsNear(int square, Bitboard own, Bitboard opp)
{
    return Neighbours.of[square] & opp ? Flips(square, own, opp) : 0;
}

int SolveTwo(Worker& w, Bitboard own, Bitboard opp, int a, int b, int alpha, int beta, bool passed)
{
    ++w.nodes;
    int best = -65;
    if (Bitboard flips = FlipsNear(a, own, opp)) {
        best = -LastEmpty(w, opp ^ flips, own ^ flips ^ (Bitboard{1} << a), b);
        if (best >= beta)
            return best;
    }
    if (Bitboard flips = FlipsNear(b, own, opp))
        best = std::max(best, -LastEmpty(w, opp ^ flips, own ^ flips ^ (Bitboard{1} << b), a));
    if (best > -65)
        return best;
    if (passed)
        return 2 * Count(own) - 62;
    return -SolveTwo(w, opp, own, a, b, -beta, -alpha, true);
}

// Three empty squares, a lone one in its quadrant first.
int SolveThree(Worker& w, Bitboard own, Bitboard opp, const int (&squares)[3], int alpha, int beta, bool passed)
{
    ++w.nodes;
    int best = -65;
    for (int i = 0; i < 3; ++i) {
        int square = squares[i];
        Bitboard flips = FlipsNear(square, own, opp);
        if (!flips)
            continue;
        int a = squares[i == 0 ? 1 : 0], b = squares[i == 2 ? 1 : 2];
        int value = -SolveTwo(w, opp ^ flips, own ^ flips ^ (Bitboard{1} << square), a, b, -beta, -alpha, false);
        if (value > best) {
            best = value;
            if (value >= beta)
                return best;
            alpha = std::max(alpha, value);
        }
    }
    if (best > -65)
        return best;
    if (passed)
        return 2 * Count(own) - 61;
    return -SolveThree(w, opp, own, squares, -beta, -alpha, true);
}

// Four empty squares in parity order. Of the three a move leaves, a lone
// one in its quadrant goes first when the other two share one; otherwise
// all three have the same parity.
int SolveFour(Worker& w, Bitboard own, Bitboard opp, const int (&squares)[4], int alpha, int beta, bool passed)
{
    ++w.nodes;
    int best = -65;
    for (int i = 0; i < 4; ++i) {
        int square = squares[i];
        Bitboard flips = FlipsNear(square, own, opp);
        if (!flips)
            continue;
        Bitboard nextOwn = opp ^ flips, nextOpp = own ^ flips ^ (Bitboard{1} << square);
        int rest[3];
        for (int j = 0, n = 0; j < 4; ++j)
            if (j != i)
                rest[n++] = squares[j];
        int q0 = QuadrantOf(rest[0]), q1 = QuadrantOf(rest[1]), q2 = QuadrantOf(rest[2]);
        if (q0 == q2 && q1 != q0)
            std::swap(rest[0], rest[1]);
        else if (q0 == q1 && q2 != q0)
            std::swap(rest[0], rest[2]);
        int value = -SolveThree(w, nextOwn, nextOpp, rest, -beta, -alpha, false);
        if (value > best) {
            best = value;
            if (value >= beta)
                return best;
            alpha = std::max(alpha, value);
        }
    }
    if (best > -65)
        return best;
    if (passed)
        return 2 * Count(own) - 60;
    return -SolveFour(w, opp, own, squares, -beta, -alpha, true);
}

int SolveSmall(Worker& w, Bitboard own, Bitboard opp, int alpha, int beta, bool passed)
{
    Bitboard empty = ~(own | opp);
    int empties = Count(empty);
    if (empties <= 4) {
        if (empties == 4) {
            int squares[4];
            ParityOrder(empty, OddRegions(empty), squares);
            return SolveFour(w, own, opp, squares, alpha, beta, passed);
        }
        if (empties == 3) {
            int squares[3];
            ParityOrder(empty, OddRegions(empty), squares);
            return SolveThree(w, own, opp, squares, alpha, beta, passed);
        }
        if (empties == 2) {
            int a = std::countr_zero(empty);
            return SolveTwo(w, own, opp, a, std::countr_zero(empty & (empty - 1)), alpha, beta, passed);
        }
        return empties ? LastEmpty(w, own, opp, std::countr_zero(empty)) : DiscDifference(own, opp);
    }
    ++w.nodes;
    Bitboard odd = OddRegions(empty);
    int best = -65;
    constexpr Bitboard NearCorners = 0x42C300000000C342ull;
    for (Bitboard group : {empty & odd & ~NearCorners, empty & odd & NearCorners, empty & ~odd & ~NearCorners,
                           empty & ~odd & NearCorners}) {
        for (; group; group &= group - 1) {
            int square = std::countr_zero(group);
            Bitboard flips = FlipsNear(square, own, opp);
            if (!flips)
                continue;
            Bitboard nextOwn = opp ^ flips, nextOpp = own ^ flips ^ (Bitboard{1} << square);
            int value;
            if (empties == 5) {
                // The move toggles its own quadrant's parity only.
                int rest[4];
                ParityOrder(empty ^ (Bitboard{1} << square), odd ^ Quadrants[QuadrantOf(square)], rest);
                value = -SolveFour(w, nextOwn, nextOpp, rest, -beta, -alpha, false);
            } else {
                value = -SolveSmall(w, nextOwn, nextOpp, -beta, -alpha, false);
            }
            if (value > best) {
                best = value;
                if (value >= beta)
                    return best;
                alpha = std::max(alpha, value);
            }
        }
    }
    if (best == -65) {
        if (passed)
            return DiscDifference(own, opp);
        return -SolveSmall(w, opp, own, -beta, -alpha, true);
    }
    return best;
}

// Fastest first: the opponent's replies, fewest first; corners early.
int OrderKey(const Candidate& c)
{
    Bitboard replies = Moves(c.own, c.opp);
    Bitboard empty = ~(c.own | c.opp);
    int key = 16 * Count(replies) + Count(replies & Corners) * 8 + 2 * Count(Around(c.opp) & empty);
    if (Corners >> c.square & 1)
        key -= 12;
    return key;
}

constexpr int Infinity = 32000;

// A plain search with the solver's learned weights (in tenths of a disc)
// at its leaves, to order moves and to guess the value. It orders better
// than the hand-made evaluation: a fifth fewer nodes at 20 empty squares.
// Called with the widest window it gives the exact minimax value, so its
// own move order changes only its cost.
int Shallow(Worker& w, Bitboard own, Bitboard opp, int depth, int alpha, int beta)
{
    if (depth <= 0)
        return OrderEvaluate(own, opp) / 10;
    ++w.nodes;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (!Moves(opp, own))
            return FinalScore(DiscDifference(own, opp));
        return -Shallow(w, opp, own, depth, -beta, -alpha);
    }
    CandidateList list;
    int n = ListCandidates(own, opp, moves, list);
    // Likely best first, so that the others cut: by the evaluation three
    // plies from the leaves, by the replies left two plies from them.
    if (depth >= 2) {
        for (Candidate& c : std::span(list, n))
            c.key = depth >= 3 ? OrderEvaluate(c.own, c.opp) : OrderKey(c);
        SortByKey(list, n);
    }
    int best = -Infinity;
    for (const Candidate& c : std::span(list, n)) {
        int value = -Shallow(w, c.own, c.opp, depth - 1, -beta, -alpha);
        if (value > best) {
            best = value;
            if (value >= beta)
                break;
            alpha = std::max(alpha, value);
        }
    }
    return best;
}

// Plies of that search: more where positions are few and a wrong first
// move costs the most (measured; two plies did no better than one).
int ShallowDepth(int empties) { return empties >= 19 ? 4 : empties >= 16 ? 3 : empties >= 14 ? 1 : 0; }

// Keys for the order of moves before the table has a say, lowest first.
// From ShallowEmpties on, estimate gets the best of the shallow values
// from the mover's side, exact: only the moves below it are bounded.
void KeyMoves(Worker& w, Candidate* list, int n, int empties, int& estimate)
{
    std::span moves(list, n);
    if (empties <= RepliesOnlyEmpties) {
        for (Candidate& c : moves)
            c.key = Count(Moves(c.own, c.opp));
        return;
    }
    for (Candidate& c : moves)
        c.key = OrderKey(c);
    if (empties < ShallowEmpties)
        return;
    // Likely best first: a move the shallow search finds worse than the
    // best so far by ShallowWindow needs only be shown to be, which costs
    // far fewer nodes than its value would.
    int depth = ShallowDepth(empties);
    if (depth > 0)
        SortByKey(list, n);
    for (Candidate& c : moves) {
        // Most searches recur, in later windows and other branches; a lone
        // evaluation costs less than looking it up. Bounds are not kept.
        int shallow;
        if (depth == 0 || !Recall(c.own, c.opp, shallow)) {
            int floor = estimate == -Infinity ? -Infinity : estimate - ShallowWindow;
            shallow = Shallow(w, c.own, c.opp, depth, -Infinity, -floor);
            if (depth > 0 && shallow < -floor)
                Remember(c.own, c.opp, shallow);
        }
        estimate = std::max(estimate, -shallow);
        c.key = MobilityWeight * c.key + ShallowWeight * shallow;
    }
}

int SolveDeep(Worker& w, Bitboard own, Bitboard opp, int alpha, int beta, bool passed)
{
    int empties = Count(~(own | opp));
    if (empties <= SmallEmpties)
        return SolveSmall(w, own, opp, alpha, beta, passed);
    ++w.nodes;
    Bitboard moves = Moves(own, opp);
    if (!moves) {
        if (passed)
            return DiscDifference(own, opp);
        return -SolveDeep(w, opp, own, -beta, -alpha, true);
    }

    // The opponent's stable discs bound the value from above; only worth
    // counting when even all its discs being stable could cut.
    if (alpha >= 64 - 2 * Count(opp)) {
        int ceiling = 64 - 2 * Count(StableDiscs(opp, own));
        if (ceiling <= alpha)
            return ceiling;
    }

    int tableMove = -1;
    bool useTable = empties >= TableEmpties;
    if (useTable) {
        if (w.nodes - w.published >= 1 << 16)
            w.Publish();
        if (TableEntry e; Lookup(own, opp, e)) {
            // Exact bounds hold in every pass; a selective pass's only in one.
            if (int value; (e.exact || (Margin && e.depth == -empties)) && BoundsSettle(e, alpha, beta, value))
                return value;
            tableMove = e.move;
        }
    }

    CandidateList list;
    int n = ListCandidates(own, opp, moves, list);
    int estimate = -Infinity;
    // Children that will look themselves up start loading now.
    if (empties > TableEmpties)
        for (const Candidate& c : std::span(list, n))
            Prefetch(c.own, c.opp);
    bool tableFirst = false;
    for (Candidate& c : std::span(list, n)) {
        // A reply already known to fail low cuts here at once.
        if (empties >= EtcEmpties) {
            if (TableEntry e; Lookup(c.own, c.opp, e) && e.exact && -e.upper >= beta)
                return -e.upper;
        }
        if (c.square == tableMove) {
            c.key = INT_MIN;
            tableFirst = true;
        }
    }
    // An exact pass tries the table's move before ordering the others: it
    // mostly cuts, and then their keys are never needed. A selective pass
    // needs every estimate at once.
    bool orderLater = tableFirst && !Margin;
    if (!orderLater) {
        KeyMoves(w, list, n, empties, estimate);
        for (Candidate& c : std::span(list, n))
            if (c.square == tableMove)
                c.key = INT_MIN;
        if (Margin && estimate > -Infinity) {
            if (estimate >= 10 * beta + Margin) {
                Record(own, opp, -empties, false, alpha, beta, beta, -1);
                return beta;
            }
            if (estimate <= 10 * alpha - Margin) {
                Record(own, opp, -empties, false, alpha, beta, alpha, -1);
                return alpha;
            }
        }
    }
    SortByKey(list, n);

    int best = -65, bestMove = -1, oldAlpha = alpha;
    for (int k = 0; k < n; ++k) {
        if (k == 1 && orderLater) {
            KeyMoves(w, list + 1, n - 1, empties, estimate);
            SortByKey(list + 1, n - 1);
        }
        const Candidate& c = list[k];
#if SHIROKURO_THREADS
        if (k == 1 && w.shared && empties >= SplitEmpties && Pool.idle.load(std::memory_order_relaxed)) {
            SplitMoves(w, list, n, alpha, beta, best, bestMove);
            break;
        }
#endif
        int value;
        if (k == 0) {
            value = -SolveDeep(w, c.own, c.opp, -beta, -alpha, false);
        } else {
            value = -SolveDeep(w, c.own, c.opp, -alpha - 1, -alpha, false);
            if (value > alpha && value < beta && !w.Stopped())
                value = -SolveDeep(w, c.own, c.opp, -beta, -alpha, false);
        }
        if (w.Stopped())
            return 0;
        if (value > best) {
            best = value;
            bestMove = c.square;
            if (value >= beta)
                break;
            alpha = std::max(alpha, value);
        }
    }
    if (w.Stopped())
        return 0;
    if (useTable)
        Record(own, opp, Margin ? -empties : empties, !Margin, oldAlpha, beta, best, bestMove);
    return best;
}

// A window at the root, on every thread when the position is big enough.
int RootWindow(Bitboard own, Bitboard opp, int alpha, int beta)
{
    Worker main;
    int threads = Count(~(own | opp)) >= ParallelEmpties ? Threads : 1;
    int value;
#if SHIROKURO_THREADS
    if (threads > 1) {
        UseHugePages();
        Pool.done = false;
        std::vector<Worker> helpers(static_cast<std::size_t>(threads - 1));
        std::vector<std::thread> running;
        for (Worker& h : helpers) {
            h.shared = true;
            try {
                running.emplace_back([&h] { Help(h); });
            } catch (...) {
                break;  // fewer threads then
            }
        }
        main.shared = !running.empty();
        value = SolveDeep(main, own, opp, alpha, beta, false);
        {
            std::lock_guard<std::mutex> guard(Pool.lock);
            Pool.done = true;
        }
        Pool.wake.notify_all();
        for (std::thread& t : running)
            t.join();
        for (Worker& h : helpers) {
            h.Publish();
            SearchNodes += h.nodes;
        }
    } else
#endif
    {
        (void)threads;
        value = SolveDeep(main, own, opp, alpha, beta, false);
    }
    main.Publish();
    SearchNodes += main.nodes;
    return value;
}

// Units of that search per disc, and the guess's plies.
int EvalPerDisc = 10;
int GuessDepth = 4;

// A first guess at the exact value: a shallow search, in discs.
int Guess(Bitboard own, Bitboard opp)
{
    Worker w;
    int value = Shallow(w, own, opp, GuessDepth, -Infinity, Infinity);
    SearchNodes += w.nodes;
    if (value >= WinScore)
        return value - WinScore;
    if (value <= -WinScore)
        return value + WinScore;
    int discs = std::clamp(value / EvalPerDisc, -64, 64);
    return discs & ~1;
}

// The value in [lower, upper] by windows one wide, from the guess on.
// Only an exact pass's bounds go to the progress report.
int Windows(Bitboard own, Bitboard opp, int lower, int upper, int guess)
{
    while (lower < upper) {
        int beta = guess == lower ? guess + 1 : guess;
        guess = RootWindow(own, opp, beta - 1, beta);
        (guess < beta ? upper : lower) = guess;
        if (!Margin) {
            KnownLower.store(lower, std::memory_order_relaxed);
            KnownUpper.store(upper, std::memory_order_relaxed);
        }
    }
    return lower;
}

// The first of the moves, in list order, whose value reaches beta, or -1;
// best gets the highest value found, a bound when none reaches it.
int FirstReaching(const Candidate* list, int n, int beta, int& best)
{
    best = -65;
    for (int i = 0; i < n; ++i) {
        int value = -RootWindow(list[i].own, list[i].opp, -beta, -beta + 1);
        best = std::max(best, value);
        if (value >= beta)
            return i;
    }
    return -1;
}

// A first guess at the value in [lower, upper]: a shallow search, then
// from SelectiveFrom on the selective windows' value.
int Estimate(Bitboard own, Bitboard opp, int lower, int upper)
{
    UseBuiltinWeights();  // for the guess and the move order, before any helper starts
    int empties = Count(~(own | opp));
    FitTable(empties);
    int guess = std::clamp(empties >= ParallelEmpties ? Guess(own, opp) : 0, lower, upper);
    KnownLower.store(lower, std::memory_order_relaxed);
    KnownUpper.store(upper, std::memory_order_relaxed);
    if (empties >= SelectiveFrom) {
        Margin = MarginTenths;
        guess = Windows(own, opp, lower, upper, guess);
        Margin = 0;
    }
    return guess;
}

} // namespace

int SolveWindow(Bitboard own, Bitboard opp, int alpha, int beta)
{
    UseBuiltinWeights();
    return RootWindow(own, opp, alpha, beta);
}

int SolveBetween(Bitboard own, Bitboard opp, int lower, int upper)
{
    return Windows(own, opp, lower, upper, Estimate(own, opp, lower, upper));
}

int SolveFirst(Bitboard own, Bitboard opp, const Candidate* list, int n, int& first)
{
    int lower = -64, upper = 64, guess = Estimate(own, opp, lower, upper);
    // The window at the guess, and each window at a value known to be the
    // highest possible, try the moves one by one in list order: where
    // such a window is reached, the first move to reach it is the answer,
    // and the moves before it are proved lower by as much as they need be.
    // Searched as one node, a window would find some best move first, and
    // proving those before it in the list would mostly be new work.
    first = -1;
    int beta = std::max(guess, lower + 1);
    bool scan = true;
    while (lower < upper) {
        bool high;
        // first stays the first move known to reach lower, if any.
        if (scan || beta == upper) {
            int best, i = FirstReaching(list, n, beta, best);
            high = i >= 0;
            if (high)
                first = i;
            (high ? lower : upper) = high ? beta : best;
        } else {
            int value = RootWindow(own, opp, beta - 1, beta);
            high = value >= beta;
            (high ? lower : upper) = value;
            if (high)
                first = -1;
        }
        KnownLower.store(lower, std::memory_order_relaxed);
        KnownUpper.store(upper, std::memory_order_relaxed);
        beta = high ? lower + 1 : upper;
        scan = false;
    }
    if (first < 0) {
        int best;
        first = FirstReaching(list, n, lower, best);
    }
    return lower;
}

void StartStatus()
{
    PublishedNodes.store(0, std::memory_order_relaxed);
    KnownDepth.store(0, std::memory_order_relaxed);
    KnownLower.store(-64, std::memory_order_relaxed);
    KnownUpper.store(64, std::memory_order_relaxed);
}

void ReportDepth(int depth) { KnownDepth.store(depth, std::memory_order_relaxed); }

void ReportNodes(std::uint64_t nodes) { PublishedNodes.fetch_add(nodes, std::memory_order_relaxed); }

void Tune(const char* name, int value)
{
    std::string_view n = name;
    for (auto [key, p] : {std::pair{"small", &SmallEmpties}, {"table", &TableEmpties}, {"etc", &EtcEmpties},
                          {"replies", &RepliesOnlyEmpties}, {"shallow", &ShallowEmpties}, {"sw", &ShallowWeight},
                          {"mw", &MobilityWeight}, {"swin", &ShallowWindow}, {"parallel", &ParallelEmpties}, {"split", &SplitEmpties},
                          {"gd", &GuessDepth}, {"epd", &EvalPerDisc},
                          {"sel", &SelectiveFrom}, {"margin", &MarginTenths}})
        if (n == key)
            *p = value;
}

} // namespace engine

void SetThreads(int threads) { engine::Threads = std::max(threads, 1); }

int DefaultThreads()
{
#if SHIROKURO_THREADS
    return std::max(static_cast<int>(std::thread::hardware_concurrency()), 1);
#else
    return 1;
#endif
}

SearchStatus CurrentSearch()
{
    using namespace engine;
    return {PublishedNodes.load(std::memory_order_relaxed), KnownDepth.load(std::memory_order_relaxed),
            KnownLower.load(std::memory_order_relaxed), KnownUpper.load(std::memory_order_relaxed)};
}

int Solve(const Position& p, int* bestSquare)
{
    engine::NewSearch(engine::Count(~(p.own | p.opp)));
    engine::StartStatus();
    engine::CandidateList list;
    int n = engine::ListCandidates(p.own, p.opp, LegalMoves(p), list);
    int value, first = -1;
    // The list is in ascending squares, so the first move reaching the
    // value is the lowest square among the equally best.
    if (n)
        value = engine::SolveFirst(p.own, p.opp, list, n, first);
    else
        value = engine::SolveBetween(p.own, p.opp, -64, 64);
    if (bestSquare)
        *bestSquare = first < 0 ? -1 : list[first].square;
    return value;
}
