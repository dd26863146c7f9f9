// The process entry: the console services are ready from static
// initialisation; read the command line, then run the mode it chose.
#include <cstdio>

#include "cli/command_line.h"
#include "cli/lines.h"
#include "cli/modes.h"
#include "engine/engine.h"

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
    const ModeRow& mode = ModeOf(settings.mode);
    if (!mode.console)
        UseBinaryStreams();
    return mode.run(settings, search);
}
