// Console control events on Windows. The system runs the handler on a thread
// of its own, so requestStop() runs as ordinary code there.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/stop_signal.h"

namespace {
BOOL WINAPI onConsoleControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        requestStop();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The system ends the process when this handler returns (and at the
        // latest after five seconds); waiting here lets the entry thread
        // finish its orderly shutdown first, which ends the process itself.
        requestStop();
        Sleep(3000);
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

void installStopSignals()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

// No SIGUSR1 on Windows; the status block is there on "i" + Enter.
void setStatusRequestHandler(void (*)()) {}
