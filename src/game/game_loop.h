// The program's main block: players chosen, one game after another, until
// the answer to the play-again question is exactly "n".
#pragma once

#include <cstdint>
#include <string>

extern std::string ReplayAnswer;
// Milliseconds after midnight UTC to seed the random source with, as if
// the clock read them; negative: read the clock.
extern std::int32_t StartSeed;

void RunProgram();
// Asks who plays Black and then White. False when the input has ended,
// since no answer can ever come then.
bool ChoosePlayers();
// One game from the starting position to its result or its abandonment.
void PlayGame();
