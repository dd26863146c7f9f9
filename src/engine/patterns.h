// The learned evaluation: board patterns (edges with their X squares,
// corner squares, the lines parallel to the edges, diagonals) looked up
// in weight tables for each stage of the game, plus mobility, summed in
// hundredths of a disc of final margin. The weights come from the
// project's trainer and are built into the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/engine.h"

namespace engine {

// Stages by empty squares, four to a stage.
inline constexpr int Stages = 15;
constexpr int StageOf(int empties) { return (empties < 59 ? empties : 59) / 4; }

// One kind of pattern: its cells, as base-3 digits (0 empty, 1 own,
// 2 opponent's), and the reflection that maps it onto itself, which
// gives it the same weight as its mirror image.
struct PatternKind {
    int offset;   // of its table in a stage's weights
    int digits;   // 0 for a plain table (mobility, parity)
    int size;     // entries
    int reflect[10];
};
inline constexpr int Kinds = 12;
extern const PatternKind PatternKinds[Kinds];
inline constexpr int StageSize = 108300;

// The lookups of one position: an index into a stage's weights each.
inline constexpr int Features = 41;
void FeatureIndices(Bitboard own, Bitboard opp, int (&index)[Features]);
// The same with both sides' moves at hand.
void FeatureIndices(Bitboard own, Bitboard opp, Bitboard ownMoves, Bitboard oppMoves, int (&index)[Features]);

// The index an entry shares its weight with: the smaller of it and its
// reflection.
int CanonicalIndex(const PatternKind& kind, int index);
// How many entries of a stage are their own canonical ones.
int CanonicalCount();

// The exact solver orders its moves by weights of its own for the stages
// it searches most (those of the game beyond them): fitted on positions
// from uniformly random games as well as from self-play, since a solve
// may start from any legal position, however lopsided.
inline constexpr int OrderStages = 7;

// The weights of both kinds. A file holds for each stage and kind the
// canonical entries in order, zigzag varints, a zero followed by the
// length of a run of zeros.
class Weights {
public:
    Weights();  // all zero
    // The project's own, built into the program; loaded on first use.
    static const Weights& Builtin();

    // Replace the game's (Stages stages) or the solver's (OrderStages)
    // weights with a file's; false, and nothing changed, when data is not
    // such a file.
    bool Load(const std::uint8_t* data, std::size_t size);
    bool LoadOrder(const std::uint8_t* data, std::size_t size);
    // A stage's canonical game weights in file order, for the trainer.
    void GetCanonical(int stage, std::int16_t* out) const;
    void SetCanonical(int stage, const std::int16_t* in);
    // FNV-1a over every canonical weight of the first stages in file order,
    // as 16-bit little-endian; of the solver's weights, all its stages.
    std::uint32_t Checksum(int stages = Stages) const;
    std::uint32_t OrderChecksum() const;

    // Hundredths of a disc for the side to move, within EvalLimit.
    int Evaluate(Bitboard own, Bitboard opp) const;
    int Evaluate(Bitboard own, Bitboard opp, Bitboard ownMoves, Bitboard oppMoves) const;
    // The same by the solver's weights where it has them.
    int OrderEvaluate(Bitboard own, Bitboard opp) const;
    // Their edges (with the X squares), corners and both sides' mobility
    // alone: near the end of deep solves a cheaper order, and no worse.
    int QuickEvaluate(Bitboard own, Bitboard opp) const;

    using Stage = std::int16_t[StageSize];

private:
    std::unique_ptr<Stage[]> game_, order_;
};

// The built-in weights files, src/engine/data/*.bin, as the build embeds
// them (cmake/embed.cmake).
extern const std::uint8_t BuiltinWeights[];
extern const std::size_t BuiltinWeightsSize;
extern const std::uint8_t BuiltinOrderWeights[];
extern const std::size_t BuiltinOrderWeightsSize;

} // namespace engine
