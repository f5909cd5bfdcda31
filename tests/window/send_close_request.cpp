// Sends a window the close request a window manager sends when its close
// button is clicked: a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: send_close_request WINDOW_ID\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("send_close_request: cannot open the display\n", stderr);
        return 1;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    XEvent message = {};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &message);
    XSync(display, False);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
