// The console's code pages: CP932 for the game's bytes while it runs, the
// user's own again at the end. Files and pipes are not affected.
#include "console/platform.h"

#undef ExitProcess

namespace {

UINT SavedOutputPage = 0;  // 0: no console to restore
UINT SavedInputPage = 0;

void RestoreConsole()
{
    if (SavedOutputPage != 0)
        SetConsoleOutputCP(SavedOutputPage);
    if (SavedInputPage != 0)
        SetConsoleCP(SavedInputPage);
}

// Ctrl-C and closing the window end the process without our exit.
BOOL WINAPI OnConsoleEnd(DWORD)
{
    RestoreConsole();
    return FALSE;
}

const bool ConsoleSwitched = [] {
    SavedOutputPage = GetConsoleOutputCP();
    SavedInputPage = GetConsoleCP();
    if (SavedOutputPage != 0)
        SetConsoleOutputCP(932);
    if (SavedInputPage != 0)
        SetConsoleCP(932);
    SetConsoleCtrlHandler(OnConsoleEnd, TRUE);
    return true;
}();

} // namespace

void ExitProcessRestoringConsole(UINT status)
{
    RestoreConsole();
    ExitProcess(status);
}
