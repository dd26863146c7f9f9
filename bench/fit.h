// The trainer's arithmetic, apart from its games: least squares over the
// evaluation's pattern features, and the weights file's encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engine.h"

namespace trainer {

// One position of a game, as the work directory stores it.
struct Sample {
    engine::Bitboard own, opp;
    std::int32_t game;
    std::int32_t label;  // hundredths of a disc
};

// The canonical slot of every entry of a stage's weights.
std::vector<std::int32_t> Slots();

struct Design {
    std::vector<std::int32_t> features;  // engine::Features a row
    std::vector<double> labels;
    std::size_t Rows() const { return labels.size(); }
};

Design Build(const std::vector<Sample>& samples, const std::vector<std::int32_t>& slot);

// The root mean square error in discs, predictions clamped to the scores.
double Rms(const Design& d, const std::vector<double>& w);

// Least squares with a ridge, from w on: conjugate gradients on the
// normal equations over the first rows of d.
void Fit(const Design& d, std::size_t rows, double ridge, int iterations, std::vector<double>& w);

std::vector<std::int16_t> Rounded(const std::vector<double>& w);

// The weights file: a tag, then varints, zigzag, a run of zeros as 0 and its length.
std::vector<std::uint8_t> Encode(const std::vector<std::int16_t>& all);

} // namespace trainer
