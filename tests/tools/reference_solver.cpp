#include "reference_solver.h"

#include <algorithm>
#include <bit>
#include <memory>

namespace reference {

std::uint64_t Nodes = 0;
bool UseTable = true;

namespace {

constexpr Bits NotFirstColumn = 0xFEFEFEFEFEFEFEFEull;
constexpr Bits NotLastColumn = 0x7F7F7F7F7F7F7F7Full;

// One step for every square in direction D (0..7: east, west, south,
// north, south-east, south-west, north-east, north-west); squares that
// would leave the board by a side column are dropped, not wrapped.
template <int D>
constexpr Bits Step(Bits b)
{
    if constexpr (D == 0)
        return (b & NotLastColumn) << 1;
    else if constexpr (D == 1)
        return (b & NotFirstColumn) >> 1;
    else if constexpr (D == 2)
        return b << 8;
    else if constexpr (D == 3)
        return b >> 8;
    else if constexpr (D == 4)
        return (b & NotLastColumn) << 9;
    else if constexpr (D == 5)
        return (b & NotFirstColumn) << 7;
    else if constexpr (D == 6)
        return (b & NotLastColumn) >> 7;
    else
        return (b & NotFirstColumn) >> 9;
}

// Runs of up to six opponent discs next to an own disc, and the square past each.
template <int D>
Bits MovesTowards(Bits own, Bits opp)
{
    Bits run = Step<D>(own) & opp;
    for (int i = 0; i < 5; ++i)
        run |= Step<D>(run) & opp;
    return Step<D>(run);
}

// The opponent's discs from the square in direction D up to an own disc.
template <int D>
Bits FlipsTowards(Bits at, Bits own, Bits opp)
{
    Bits run = 0, x = Step<D>(at);
    for (; x & opp; x = Step<D>(x))
        run |= x;
    return x & own ? run : 0;
}

int Final(const Board& b) { return std::popcount(b.own) - std::popcount(b.opp); }

// Below this many empty squares the moves go in square order and nothing
// is kept: either would cost more than it saves.
constexpr int OrderFrom = 6;
constexpr int TableFrom = 7;
constexpr int EtcFrom = 12;

// Bounds on the values of positions already searched, one entry a slot,
// the latest search's in it. Any bound found holds for good, so those of
// one position merge.
struct Entry {
    Bits own = 0, opp = 0;
    int lower = -64, upper = 64;
    int move = -1;  // the best or cutting square last found, tried first
};
constexpr int TableBits = 21;
std::unique_ptr<Entry[]> Table;

Entry& Slot(const Board& b)
{
    Bits h = (b.own * 0x9E3779B97F4A7C15ull) ^ (b.opp * 0xC2B2AE3D27D4EB4Full);
    return Table[h >> (64 - TableBits)];
}

// One empty square: whoever can take it does, the side to move first.
int LastSquare(const Board& b)
{
    Bits empty = ~(b.own | b.opp);
    int square = std::countr_zero(empty);
    if (Moves(b) & empty)
        return Final(Play(b, square)) * -1;
    if (Moves(Pass(b)) & empty)
        return Final(Play(Pass(b), square));
    return Final(b);
}

int Node(const Board& b, int alpha, int beta, bool passed)
{
    ++Nodes;
    if (std::popcount(~(b.own | b.opp)) == 1)
        return LastSquare(b);
    Bits moves = Moves(b);
    if (!moves)
        return passed ? Final(b) : -Node(Pass(b), -beta, -alpha, true);
    int empties = std::popcount(~(b.own | b.opp));
    int best = -65;
    if (empties < OrderFrom) {
        for (; moves; moves &= moves - 1) {
            int value = -Node(Play(b, std::countr_zero(moves)), -beta, -std::max(alpha, best), false);
            if (value > best && (best = value) >= beta)
                break;
        }
        return best;
    }
    Entry* e = nullptr;
    if (UseTable && empties >= TableFrom) {
        e = &Slot(b);
        if (e->own == b.own && e->opp == b.opp) {
            if (e->lower >= beta)
                return e->lower;
            if (e->upper <= alpha)
                return e->upper;
            if (e->lower == e->upper)
                return e->lower;
        }
    }
    // The table's move first, then fewest replies first, equal counts in
    // square order.
    int first = e && e->own == b.own && e->opp == b.opp ? e->move : -1;
    struct Child {
        Board board;
        int replies, square;
    } list[64];
    int n = 0;
    for (; moves; moves &= moves - 1) {
        int square = std::countr_zero(moves);
        Child c{Play(b, square), 0, square};
        c.replies = square == first ? -1 : std::popcount(Moves(c.board));
        int j = n++;
        for (; j > 0 && list[j - 1].replies > c.replies; --j)
            list[j] = list[j - 1];
        list[j] = c;
    }
    // The first move with the whole window, the others with a null window
    // first: they mostly only need to be shown no better.
    // A reply already known to be bad enough for the opponent cuts at once.
    if (e && empties >= EtcFrom)
        for (int k = 0; k < n; ++k)
            if (const Entry& r = Slot(list[k].board);
                r.own == list[k].board.own && r.opp == list[k].board.opp && -r.upper >= beta)
                return -r.upper;
    int bestMove = -1;
    for (int k = 0; k < n; ++k) {
        int floor = std::max(alpha, best), value;
        if (k == 0) {
            value = -Node(list[k].board, -beta, -floor, false);
        } else {
            value = -Node(list[k].board, -floor - 1, -floor, false);
            if (value > floor && value < beta)
                value = -Node(list[k].board, -beta, -value, false);
        }
        if (value > best) {
            best = value;
            bestMove = list[k].square;
            if (best >= beta)
                break;
        }
    }
    if (e) {
        if (e->own != b.own || e->opp != b.opp)
            *e = {b.own, b.opp, -64, 64, -1};
        if (best > alpha)
            e->lower = std::max(e->lower, best);
        if (best < beta)
            e->upper = std::min(e->upper, best);
        if (best > alpha)
            e->move = bestMove;
    }
    return best;
}

} // namespace

Bits Moves(const Board& b)
{
    Bits own = b.own, opp = b.opp;
    Bits moves = MovesTowards<0>(own, opp) | MovesTowards<1>(own, opp) | MovesTowards<2>(own, opp) |
                 MovesTowards<3>(own, opp) | MovesTowards<4>(own, opp) | MovesTowards<5>(own, opp) |
                 MovesTowards<6>(own, opp) | MovesTowards<7>(own, opp);
    return moves & ~(own | opp);
}

Board Play(const Board& b, int square)
{
    Bits at = Bits{1} << square, own = b.own, opp = b.opp;
    Bits flips = FlipsTowards<0>(at, own, opp) | FlipsTowards<1>(at, own, opp) | FlipsTowards<2>(at, own, opp) |
                 FlipsTowards<3>(at, own, opp) | FlipsTowards<4>(at, own, opp) | FlipsTowards<5>(at, own, opp) |
                 FlipsTowards<6>(at, own, opp) | FlipsTowards<7>(at, own, opp);
    return {opp & ~flips, own | flips | at};
}

int Search(const Board& b, int alpha, int beta)
{
    if (UseTable && !Table)
        Table = std::make_unique<Entry[]>(std::size_t{1} << TableBits);
    return Node(b, alpha, beta, false);
}

Answer SolveAll(const Board& b)
{
    Answer a{Search(b, -65, 65), {}};
    for (Bits moves = Moves(b); moves; moves &= moves - 1) {
        int square = std::countr_zero(moves);
        if (-Search(Play(b, square), -a.value, -a.value + 1) >= a.value)
            a.best.push_back(square);
    }
    return a;
}

} // namespace reference
