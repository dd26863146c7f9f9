#include "engine/patterns.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/score.h"
#include "engine/movegen.h"
#include "engine/symmetry.h"

namespace engine {

// Edge with X squares: the first row's eight cells, then squares 9 and 14,
// mirrored left to right. Corner: the 3x3 squares (digit 3 * row + column),
// mirrored about the diagonal. Lines and diagonals: reversed.
const PatternKind PatternKinds[Kinds] = {
    {0, 10, 59049, {7, 6, 5, 4, 3, 2, 1, 0, 9, 8}},
    {59049, 9, 19683, {0, 3, 6, 1, 4, 7, 2, 5, 8}},
    {78732, 8, 6561, {7, 6, 5, 4, 3, 2, 1, 0}},
    {85293, 8, 6561, {7, 6, 5, 4, 3, 2, 1, 0}},
    {91854, 8, 6561, {7, 6, 5, 4, 3, 2, 1, 0}},
    {98415, 8, 6561, {7, 6, 5, 4, 3, 2, 1, 0}},
    {104976, 7, 2187, {6, 5, 4, 3, 2, 1, 0}},
    {107163, 6, 729, {5, 4, 3, 2, 1, 0}},
    {107892, 5, 243, {4, 3, 2, 1, 0}},
    {108135, 4, 81, {3, 2, 1, 0}},
    {108216, 0, 80, {}},  // moves of the side to move, then of the opponent
    {108296, 0, 4, {}},   // empty squares modulo 4
};

namespace {

enum Kind { Edge, Corner, Line2, Line3, Line4, Diagonal8, Diagonal7, Diagonal6, Diagonal5, Diagonal4, Mobility, Parity };

// A row's bits as base-3 digits of value 1.
constexpr auto Ternary = [] {
    std::array<int, 256> t{};
    for (int b = 0; b < 256; ++b)
        for (int i = 7; i >= 0; --i)
            t[static_cast<std::size_t>(b)] = 3 * t[static_cast<std::size_t>(b)] + (b >> i & 1);
    return t;
}();

// A diagonal's squares, read into a byte by column.
constexpr int DiagonalByte(Bitboard b, Bitboard mask) { return static_cast<int>(((b & mask) * 0x0101010101010101ull) >> 56); }
constexpr Bitboard MainDiagonal = 0x8040201008040201ull;

int Cell(Bitboard own, Bitboard opp, int square) { return static_cast<int>((own >> square & 1) + 2 * (opp >> square & 1)); }

int Row(Bitboard own, Bitboard opp, int shift)
{
    return Ternary[(own >> shift) & 0xFF] + 2 * Ternary[(opp >> shift) & 0xFF];
}

int Diagonal(Bitboard own, Bitboard opp, int column)
{
    Bitboard mask = MainDiagonal >> (8 * column);  // from square column down to the last column
    return Ternary[static_cast<std::size_t>(DiagonalByte(own, mask) >> column)] +
           2 * Ternary[static_cast<std::size_t>(DiagonalByte(opp, mask) >> column)];
}

int CornerIndex(Bitboard b)
{
    return Ternary[b & 7] + 27 * Ternary[(b >> 8) & 7] + 729 * Ternary[(b >> 16) & 7];
}

// Each edge and corner read in place, not turned: one may come out
// mirrored, which the weights do not tell apart (each entry equals its
// reflection's).
int QuickSum(const std::int16_t* w, Bitboard own, Bitboard opp)
{
    auto byte = [](Bitboard b, int r) { return static_cast<unsigned>(b >> 8 * r & 0xFF); };
    auto digits = [](unsigned o, unsigned p) { return Ternary[o] + 2 * Ternary[p]; };
    // Columns are the rows of the transposed board, the top row first.
    const Bitboard ownT = Transpose(own), oppT = Transpose(opp);
    auto row = [&](int r) { return digits(byte(own, r), byte(opp, r)); };
    auto column = [&](int c) { return digits(byte(ownT, c), byte(oppT, c)); };
    auto cell = [&](int square) { return static_cast<int>((own >> square & 1) + 2 * (opp >> square & 1)); };
    // A corner's three rows from its edge, columns from its edge: a row's
    // low three cells, or its high three reversed.
    auto reversed = [](unsigned b) { return (b >> 7 & 1) | (b >> 5 & 2) | (b >> 3 & 4); };
    auto left = [&](int r) { return digits(byte(own, r) & 7, byte(opp, r) & 7); };
    auto right = [&](int r) { return digits(reversed(byte(own, r)), reversed(byte(opp, r))); };
    const PatternKind* k = PatternKinds;
    const std::int16_t* edge = w + k[Edge].offset;
    const std::int16_t* corner = w + k[Corner].offset;
    int sum = edge[row(0) + 6561 * cell(9) + 19683 * cell(14)] + edge[column(0) + 6561 * cell(9) + 19683 * cell(49)] +
              edge[row(7) + 6561 * cell(49) + 19683 * cell(54)] + edge[column(7) + 6561 * cell(14) + 19683 * cell(54)];
    sum += corner[left(0) + 27 * left(1) + 729 * left(2)] + corner[left(7) + 27 * left(6) + 729 * left(5)] +
           corner[right(7) + 27 * right(6) + 729 * right(5)] + corner[right(0) + 27 * right(1) + 729 * right(2)];
    sum += w[k[Mobility].offset + std::min(Count(Moves(own, opp)), 39)] +
           w[k[Mobility].offset + 40 + std::min(Count(Moves(opp, own)), 39)];
    return std::clamp(sum, -EvalLimit, EvalLimit);
}

int Sum(const std::int16_t* w, Bitboard own, Bitboard opp, Bitboard ownMoves, Bitboard oppMoves)
{
    int index[Features];
    FeatureIndices(own, opp, ownMoves, oppMoves, index);
    int sum = 0;
    for (int i : index)
        sum += w[i];
    return std::clamp(sum, -EvalLimit, EvalLimit);
}

} // namespace

void FeatureIndices(Bitboard own, Bitboard opp, int (&index)[Features])
{
    FeatureIndices(own, opp, Moves(own, opp), Moves(opp, own), index);
}

void FeatureIndices(Bitboard own, Bitboard opp, Bitboard ownMoves, Bitboard oppMoves, int (&index)[Features])
{
    const Bitboard ownTurned[4] = {own, Mirror(Transpose(own)), FlipRows(Mirror(own)), FlipRows(Transpose(own))};
    const Bitboard oppTurned[4] = {opp, Mirror(Transpose(opp)), FlipRows(Mirror(opp)), FlipRows(Transpose(opp))};
    const PatternKind* k = PatternKinds;
    int n = 0;
    for (int r = 0; r < 4; ++r) {
        Bitboard o = ownTurned[r], p = oppTurned[r];
        index[n++] = k[Edge].offset + Row(o, p, 0) + 6561 * Cell(o, p, 9) + 19683 * Cell(o, p, 14);
        index[n++] = k[Corner].offset + CornerIndex(o) + 2 * CornerIndex(p);
        index[n++] = k[Line2].offset + Row(o, p, 8);
        index[n++] = k[Line3].offset + Row(o, p, 16);
        index[n++] = k[Line4].offset + Row(o, p, 24);
        index[n++] = k[Diagonal7].offset + Diagonal(o, p, 1);
        index[n++] = k[Diagonal6].offset + Diagonal(o, p, 2);
        index[n++] = k[Diagonal5].offset + Diagonal(o, p, 3);
        index[n++] = k[Diagonal4].offset + Diagonal(o, p, 4);
    }
    // The main diagonals once each: a half turn maps each onto itself.
    index[n++] = k[Diagonal8].offset + Diagonal(own, opp, 0);
    index[n++] = k[Diagonal8].offset + Diagonal(ownTurned[1], oppTurned[1], 0);
    index[n++] = k[Mobility].offset + std::min(Count(ownMoves), 39);
    index[n++] = k[Mobility].offset + 40 + std::min(Count(oppMoves), 39);
    index[n++] = k[Parity].offset + Count(~(own | opp)) % 4;
}

int CanonicalIndex(const PatternKind& kind, int index)
{
    if (kind.digits == 0)
        return index;
    int reflected = 0, rest = index;
    constexpr int Powers[10] = {1, 3, 9, 27, 81, 243, 729, 2187, 6561, 19683};
    for (int i = 0; i < kind.digits; ++i, rest /= 3)
        reflected += rest % 3 * Powers[kind.reflect[i]];
    return std::min(index, reflected);
}

int CanonicalCount()
{
    // Worked out once: every load asks, twice, and it is a pass over a
    // whole stage's entries.
    static const int count = [] {
        int n = 0;
        for (const PatternKind& kind : PatternKinds)
            for (int i = 0; i < kind.size; ++i)
                n += CanonicalIndex(kind, i) == i;
        return n;
    }();
    return count;
}

namespace {

// Decodes a weights file of so many stages into their canonical weights.
bool Decode(const std::uint8_t* data, std::size_t size, int stages, std::vector<std::int16_t>& values)
{
    static constexpr std::uint8_t Magic[4] = {'S', 'K', 'W', '1'};
    if (size < 4 || !std::equal(Magic, Magic + 4, data))
        return false;
    std::size_t at = 4;
    auto varint = [&](std::uint32_t& v) {
        v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (at == size)
                return false;
            std::uint8_t byte = data[at++];
            v |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    };
    int total = stages * CanonicalCount();
    values.clear();
    values.reserve(static_cast<std::size_t>(total));
    while (static_cast<int>(values.size()) < total) {
        std::uint32_t v;
        if (!varint(v))
            return false;
        if (v == 0) {
            std::uint32_t run;
            if (!varint(run) || run == 0 || run > static_cast<std::uint32_t>(total) - values.size())
                return false;
            values.insert(values.end(), run, 0);
        } else {
            std::int32_t w = static_cast<std::int32_t>(v >> 1) ^ -static_cast<std::int32_t>(v & 1);
            if (w < -32768 || w > 32767)
                return false;
            values.push_back(static_cast<std::int16_t>(w));
        }
    }
    return at == size;
}

// Fills a stage's table from its canonical weights in file order.
void SetStage(Weights::Stage& w, const std::int16_t* in)
{
    // Each entry's canonical one, worked out once.
    static const std::vector<int> canonical = [] {
        std::vector<int> c(StageSize);
        for (const PatternKind& kind : PatternKinds)
            for (int i = 0; i < kind.size; ++i)
                c[static_cast<std::size_t>(kind.offset + i)] = kind.offset + CanonicalIndex(kind, i);
        return c;
    }();
    for (int i = 0; i < StageSize; ++i)
        if (canonical[static_cast<std::size_t>(i)] == i)
            w[i] = *in++;
    for (int i = 0; i < StageSize; ++i)
        w[i] = w[canonical[static_cast<std::size_t>(i)]];
}

void Canonical(const Weights::Stage& w, std::int16_t* out)
{
    for (const PatternKind& kind : PatternKinds)
        for (int i = 0; i < kind.size; ++i)
            if (CanonicalIndex(kind, i) == i)
                *out++ = w[kind.offset + i];
}

bool Load(const std::uint8_t* data, std::size_t size, Weights::Stage* into, int stages)
{
    std::vector<std::int16_t> values;
    if (!Decode(data, size, stages, values))
        return false;
    auto count = static_cast<std::size_t>(CanonicalCount());
    for (int s = 0; s < stages; ++s)
        SetStage(into[s], values.data() + static_cast<std::size_t>(s) * count);
    return true;
}

std::uint32_t Checksum(const Weights::Stage* weights, int stages)
{
    std::uint32_t h = 2166136261u;
    std::vector<std::int16_t> w(static_cast<std::size_t>(CanonicalCount()));
    for (int s = 0; s < stages; ++s) {
        Canonical(weights[s], w.data());
        for (std::int16_t v : w)
            for (int byte : {v & 0xFF, (v >> 8) & 0xFF})
                h = (h ^ static_cast<std::uint32_t>(byte)) * 16777619u;
    }
    return h;
}

} // namespace

Weights::Weights() : game_(new Stage[Stages]()), order_(new Stage[OrderStages]()) {}

const Weights& Weights::Builtin()
{
    static const Weights builtin = [] {
        Weights w;
        w.Load(BuiltinWeights, BuiltinWeightsSize);
        w.LoadOrder(BuiltinOrderWeights, BuiltinOrderWeightsSize);
        return w;
    }();
    return builtin;
}

bool Weights::Load(const std::uint8_t* data, std::size_t size) { return engine::Load(data, size, game_.get(), Stages); }

bool Weights::LoadOrder(const std::uint8_t* data, std::size_t size)
{
    return engine::Load(data, size, order_.get(), OrderStages);
}

void Weights::GetCanonical(int stage, std::int16_t* out) const { Canonical(game_[stage], out); }

void Weights::SetCanonical(int stage, const std::int16_t* in) { SetStage(game_[stage], in); }

std::uint32_t Weights::Checksum(int stages) const { return engine::Checksum(game_.get(), stages); }

std::uint32_t Weights::OrderChecksum() const { return engine::Checksum(order_.get(), OrderStages); }

int Weights::Evaluate(Bitboard own, Bitboard opp) const { return Evaluate(own, opp, Moves(own, opp), Moves(opp, own)); }

int Weights::Evaluate(Bitboard own, Bitboard opp, Bitboard ownMoves, Bitboard oppMoves) const
{
    return Sum(game_[StageOf(Count(~(own | opp)))], own, opp, ownMoves, oppMoves);
}

int Weights::OrderEvaluate(Bitboard own, Bitboard opp) const
{
    int stage = StageOf(Count(~(own | opp)));
    return Sum(stage < OrderStages ? order_[stage] : game_[stage], own, opp, Moves(own, opp), Moves(opp, own));
}

int Weights::QuickEvaluate(Bitboard own, Bitboard opp) const
{
    int stage = StageOf(Count(~(own | opp)));
    return QuickSum(stage < OrderStages ? order_[stage] : game_[stage], own, opp);
}

} // namespace engine
