// How the program ends from outside on Linux: a stop signal, or the loss of
// the X display it draws on.
#include "app/stop.h"

#include "app/application.h"

#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <unistd.h>

namespace {

// The handler is reset to the default by SA_RESETHAND before it runs; raising
// the signal again ends the process the way the signal ends any program, so a
// shell or service manager sees what stopped it.
void endBySignal(int signal) {
    raise(signal);
}

// Xlib calls this when the connection to the display breaks, and ends the
// process itself if the handler returns. Its own handler ends through exit(),
// whose handlers shut SDL down, and SDL then waits for an answer from the dead
// connection for ever. So no exit handler may run: the output is flushed here
// and the process ends at once.
int endOnLostDisplay(Display*) {
    std::fflush(stdout);
    std::fputs("letterbot: the connection to the display was lost\n", stderr);
    std::fflush(stderr);
    _exit(EXIT_DISPLAY_LOST);
}

} // namespace

void endOnStopRequests() {
    // SDL turns SIGINT and SIGTERM into quit events, which the program drops
    // like the window's close button, but only where it finds the default
    // handler; ours goes in first. A signal the program was started with
    // ignored (nohup, a background job) stays ignored.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current;
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = endBySignal;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    XSetIOErrorHandler(endOnLostDisplay);
}
