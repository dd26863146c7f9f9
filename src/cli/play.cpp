#include "cli/play.h"

#include "console/process.h"
#include "game/game_loop.h"
#include "game/players.h"

int PlayMode(const Settings& settings, const engine::Options& search)
{
    ComputerLevel = settings.level;
    ComputerSearch = search;
    StartSeed = settings.seed;
    RunProcess(RunProgram);
}
