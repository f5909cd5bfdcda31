// The browser side of the platform layer: message boxes as the page's modal
// alert, no stop requests (a page has no signals and no display to lose), and
// one pass of the main loop per animation frame, which the page may pause.
// Paths and files are files_posix.cpp's, on the in-memory file system that
// the page fills with data/ before the program starts.
#include "platform/platform.h"

#include "platform/console_messages.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <cstdio>

void showMessageBox(MessageBoxOwner, const char* caption, const char* text) {
    if (messagesGoToConsole())
        return printMessageLine(caption, text);
    // Like a message box, alert() holds the program until OK is pressed; it
    // has no title of its own, so the caption heads the text (a null pointer
    // reads as "").
    std::fflush(stdout);
    EM_ASM({ alert(UTF8ToString($0) + "\n\n" + UTF8ToString($1)); }, caption, text);
}

// The browser keeps the window's framebuffer itself.
void preferDirectGLPath() {}

void preferLargePages(void*, size_t) {}

void endOnStopRequests() {}

namespace {

void (*mainLoopPass)();
bool stopAsked;
bool paused;

void runPassThenAskForTheNext(void*) {
    if (stopAsked)
        return;
    if (!paused)
        mainLoopPass();
    emscripten_async_call(runPassThenAskForTheNext, nullptr, -1);
}

} // namespace

// The page's Pause and Play: while paused, frames still come but run no
// pass, so the runtime stays and nothing of the program moves; input waits
// in its queue. The program paces itself on the clock one step a pass, so
// the time paused makes no jump. Asked before main, the first pass waits.
extern "C" EMSCRIPTEN_KEEPALIVE void letterbot_pause(int pause) {
    paused = pause != 0;
}

// The page calls this before it starts the program again on a fresh canvas:
// the next frame runs no pass and asks for none, so nothing holds the runtime
// and it ends with its exit handlers (SDL_Quit takes the page's listeners
// away). Asked before main, main still runs but makes no pass.
extern "C" EMSCRIPTEN_KEEPALIVE void letterbot_stop(void) {
    stopAsked = true;
}

// The page must get control back after every pass to show the frame and take
// events, so the browser calls the pass once per animation frame (its own
// rate: the display's; none while the tab is hidden), and main's stack is
// unwound here. Each frame asks for the next one only once its pass is done.
// Emscripten's own main loop is not used: it keeps the runtime alive, and an
// exit() during a pass then neither runs the exit handlers nor ends anything,
// the next frame simply comes; between these frames nothing holds the
// runtime, so exit() ends the program with its handlers, as on the desktop.
void runMainLoop(void (*pass)()) {
    mainLoopPass = pass;
    emscripten_async_call(runPassThenAskForTheNext, nullptr, -1);
    emscripten_unwind_to_js_event_loop();
}
