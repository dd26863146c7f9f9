// What search values count, and their bounds. The exact solver counts the
// final disc difference for the side to move (empty squares counting for
// neither); the levels' search counts hundredths of a disc of final
// margin; the solver's move order, tenths.
#pragma once

#include <algorithm>

namespace engine {

inline constexpr int MaxDiscs = 64;
// Below every disc difference: no move searched yet.
inline constexpr int NoValue = -MaxDiscs - 1;
// Beyond every value in any of the units.
inline constexpr int Infinity = 32000;

inline constexpr int HundredthsPerDisc = 100;
inline constexpr int TenthsPerDisc = 10;

// The learned and hand-made estimates keep within EvalLimit; a game found
// to end lies beyond it, where the labels of the trainer count it.
inline constexpr int EvalLimit = 9000;
inline constexpr int WinScore = 10000;

// The value of a finished game beyond any estimate: any win beats any
// estimate, and the margin still counts.
constexpr int FinalScore(int discDifference)
{
    return discDifference > 0 ? WinScore + discDifference : discDifference < 0 ? -WinScore + discDifference : 0;
}

// A value beyond EvalLimit as its margin in discs, else the hundredths of
// an estimate rounded, within what the board holds.
constexpr int DiscsOfScore(int score)
{
    if (score > EvalLimit)
        return score - WinScore;
    if (score < -EvalLimit)
        return score + WinScore;
    int discs = score >= 0 ? (score + HundredthsPerDisc / 2) / HundredthsPerDisc
                           : -((-score + HundredthsPerDisc / 2) / HundredthsPerDisc);
    return std::clamp(discs, -MaxDiscs, MaxDiscs);
}

} // namespace engine
