#include "capture/interrupt.h"

#include <windows.h>

#include <csignal>
#include <cstdlib>

namespace Zorvek::capture {

namespace {

// Windows has no SIGHUP; the number it has on POSIX systems, for the status the capture ends by.
constexpr int HANGUP = 1;

volatile LONG caught = 0;

BOOL WINAPI onConsoleEvent(DWORD event) {
    LONG sig = 0;
    switch (event) {
        case CTRL_C_EVENT: sig = SIGINT; break;
        case CTRL_BREAK_EVENT: sig = SIGTERM; break;
        case CTRL_CLOSE_EVENT: sig = HANGUP; break;
        default: return FALSE;
    }
    InterlockedCompareExchange(&caught, sig, 0);
    // The window closing ends the process when this returns: a few seconds for the capture to
    // stop and clean up, which then exits by itself.
    if (event == CTRL_CLOSE_EVENT) Sleep(5000);
    return TRUE;
}

}  // namespace

void catchInterrupts() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

int interruption() { return static_cast<int>(InterlockedCompareExchange(&caught, 0, 0)); }

void endByInterruption() {
    const int sig = interruption();
    if (sig) std::exit(128 + sig);
}

}  // namespace Zorvek::capture
