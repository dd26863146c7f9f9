#include "engine/movegen.h"

namespace engine {

Bitboard LegalMoves(const Position& p) { return Moves(p.own, p.opp); }

Position Play(const Position& p, int square)
{
    Bitboard flips = Flips(square, p.own, p.opp);
    return {p.opp ^ flips, p.own ^ flips ^ (Bitboard{1} << square)};
}

namespace {

std::uint64_t PerftFrom(Bitboard own, Bitboard opp, int depth)
{
    Bitboard moves = Moves(own, opp);
    if (depth == 1)  // a pass, or an end, is one leaf as well
        return moves ? Count(moves) : 1;
    if (!moves) {
        if (!Moves(opp, own))
            return 1;
        return PerftFrom(opp, own, depth - 1);
    }
    std::uint64_t leaves = 0;
    for (; moves; moves &= moves - 1) {
        int square = std::countr_zero(moves);
        Bitboard flips = Flips(square, own, opp);
        leaves += PerftFrom(opp ^ flips, own ^ flips ^ (Bitboard{1} << square), depth - 1);
    }
    return leaves;
}

} // namespace

std::uint64_t Perft(const Position& p, int depth)
{
    return depth <= 0 ? 1 : PerftFrom(p.own, p.opp, depth);
}

} // namespace engine
