// How the program ends from outside on Windows: Ctrl+C or Ctrl+Break in its
// console, the console being closed, the user logging off or the system
// shutting down.
#include "app/stop.h"

#include <windows.h>

#include <csignal>
#include <initializer_list>

namespace {

// What Windows itself reports for a console program stopped by Ctrl+C.
const UINT STATUS_STOPPED_BY_CONSOLE = 0xC000013A;

// No exit handler runs, as with a stop signal's default action on Linux: the
// console calls this on a thread of its own while the main thread may be deep
// inside SDL or GL, and SDL's shutdown from here could wait on that thread.
[[noreturn]] void endNow() {
    TerminateProcess(GetCurrentProcess(), STATUS_STOPPED_BY_CONSOLE);
    for (;;)
        Sleep(INFINITE);
}

BOOL WINAPI endOnConsoleEvent(DWORD) {
    endNow();
}

void endBySignal(int) {
    endNow();
}

} // namespace

void endOnStopRequests() {
    // SDL turns SIGINT and SIGTERM into quit events, which the program drops
    // like the window's close button, but only where it finds the C runtime's
    // default handler; ours goes in first. The runtime raises SIGINT and
    // SIGBREAK for Ctrl+C and Ctrl+Break; closing the console, logging off and
    // shutting down come only to the console handler.
    for (int signal : {SIGINT, SIGTERM, SIGBREAK})
        std::signal(signal, endBySignal);
    SetConsoleCtrlHandler(endOnConsoleEvent, TRUE);
}
