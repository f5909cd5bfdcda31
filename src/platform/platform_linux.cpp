// The Linux side of the platform layer: message boxes as lines on standard
// error, the stop signals and the loss of the X display, and the endless main
// loop. Paths and files are files_posix.cpp's.
#include "platform/platform.h"

#include "platform/console_messages.h"
#include "platform/exit_status.h"

#include <X11/Xlib.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include <sys/mman.h>
#include <unistd.h>

void showMessageBox(MessageBoxOwner, const char* caption, const char* text) {
    printMessageLine(caption, text);
}

void preferDirectGLPath() {
    // The window is never resized, so the scaling framebuffer only costs a copy
    // of every frame; overwrite = 0 keeps a value the user set.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
}

// A large picture fills thousands of fresh pages; 2 MB pages save most of the
// page faults, which cost as much as the decoding.
void preferLargePages(void* block, size_t size) {
    const uintptr_t huge = uintptr_t(2) << 20;
    if (!block || size < 2 * huge)
        return;
    const uintptr_t begin = (uintptr_t(block) + huge - 1) & ~(huge - 1);
    const uintptr_t end = (uintptr_t(block) + size) & ~(huge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

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

void runMainLoop(void (*pass)()) {
    for (;;)
        pass();
}
