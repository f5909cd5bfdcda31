// The Windows side of the platform layer.
#include "app/platform.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool messagesOnConsole = false;

} // namespace

void showMessageBox(MessageBoxOwner owner, const char* caption, const char* text) {
    caption = caption ? caption : "";
    text = text ? text : "";
    if (messagesOnConsole) {
        const size_t length = std::strlen(text);
        std::fprintf(stderr, "%s: %s%s", caption, text,
                     length == 0 || text[length - 1] != '\n' ? "\n" : "");
        std::fflush(stderr);
        return;
    }
    // Whatever the program printed so far is on the console before the box
    // waits for the user.
    std::fflush(stdout);
    const HWND window = owner == MESSAGE_BOX_FOCUS_WINDOW ? GetFocus() : nullptr;
    MessageBoxA(window, text, caption, MB_OK);
}

void showMessagesOnConsole() {
    messagesOnConsole = true;
}

// Windows opens "data\robot.ase" as it is written.
std::string platformPath(const char* path) {
    return path ? path : "";
}

void preferDirectGLPath() {
    // The window is never resized, so the scaling framebuffer only costs a copy
    // of every frame; a value the user set stays. _putenv changes the C
    // runtime's copy of the environment, which is the one SDL reads.
    if (!std::getenv("SDL12COMPAT_OPENGL_SCALING"))
        _putenv("SDL12COMPAT_OPENGL_SCALING=0");
}

// Large pages on Windows need a privilege that ordinary users lack and memory
// reserved for them from the start; a hint for a block that exists already
// has nothing to ask for.
void preferLargePages(void*, size_t) {}
