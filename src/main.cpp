// The process entry: the console services are ready from static
// initialisation; run the game under the outermost handler.
#include "console/process.h"
#include "game/game_loop.h"

int main()
{
    RunProcess(RunProgram);
}
