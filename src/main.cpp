// The process entry: the console services are ready from static
// initialisation; read the command line, then run the game under the
// outermost handler, or one of the other modes.
#include <cstdio>

#include "cli/command_line.h"
#include "cli/lines.h"
#include "console/process.h"
#include "engine/engine.h"
#include "game/game_loop.h"
#include "game/players.h"
#include "tools.h"

int main(int argc, char* argv[])
{
    UsageError error;
    Settings settings = ParseCommandLine(argc, argv, error);
    if (error.text[0] != '\0') {
        UseBinaryStreams();
        std::fputs(error.text, stderr);
        return 2;
    }
    engine::Options search;
    search.threads = settings.threads ? settings.threads : engine::DefaultThreads();
    if (settings.hashMegabytes)
        search.tableMegabytes = settings.hashMegabytes;
    if (settings.mode != Mode::Game)
        return RunTool(settings, search);
    ComputerLevel = settings.level;
    ComputerSearch = search;
    StartSeed = settings.seed;
    RunProcess(RunProgram);
}
