// A static estimate of a position for the side to move, in hundredths of
// a disc or so; wins and losses found by search lie far beyond its range.
#pragma once

#include "engine/engine.h"

namespace engine {

inline constexpr int EvalLimit = 9000;
inline constexpr int WinScore = 10000;

int Evaluate(Bitboard own, Bitboard opp);

// The value of a finished game: any win beats any estimate, and the
// margin still counts.
constexpr int FinalScore(int discDifference)
{
    return discDifference > 0 ? WinScore + discDifference : discDifference < 0 ? -WinScore + discDifference : 0;
}

// A search value as a number of discs: the margin of a found win or
// loss, else the estimate rounded.
constexpr int DiscsOfScore(int score)
{
    if (score > EvalLimit)
        return score - WinScore;
    if (score < -EvalLimit)
        return score + WinScore;
    return score >= 0 ? (score + 50) / 100 : -((-score + 50) / 100);
}

} // namespace engine
