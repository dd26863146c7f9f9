// What the middle-game search and the exact solver do alike at a node:
// the table probe and the principal-variation move loop.
#pragma once

#include "engine/table.h"

namespace engine {

// Looks the position up. An entry the search uses (usable) settles the
// window when it is one the search trusts (trusted) and its bounds do:
// true, with value. Otherwise move gets the entry's best move, if any.
template <class Usable, class Trusted>
bool Probe(const Table& table, Bitboard own, Bitboard opp, int alpha, int beta, Usable usable, Trusted trusted,
           int& value, int& move)
{
    TableEntry e;
    if (!table.Lookup(own, opp, e) || !usable(e))
        return false;
    if (trusted(e) && BoundsSettle(e, alpha, beta, value))
        return true;
    move = e.move;
    return false;
}

// The value of a node's k-th move, child(alpha, beta) searching it: the
// first with the whole window, the others with a null window at alpha,
// and again with the whole window when they land inside it while live().
template <class Child, class Live>
int MoveValue(int k, int alpha, int beta, Child&& child, Live&& live)
{
    if (k == 0)
        return child(alpha, beta);
    int value = child(alpha, alpha + 1);
    if (value > alpha && value < beta && live())
        value = child(alpha, beta);
    return value;
}

// The best of a node's moves so far; true when the last one cut.
struct Best {
    int value, move = -1;

    bool Take(int v, int square, int& alpha, int beta)
    {
        if (v <= value)
            return false;
        value = v;
        move = square;
        if (v >= beta)
            return true;
        alpha = alpha > v ? alpha : v;
        return false;
    }
};

} // namespace engine
