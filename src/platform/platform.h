// What the program takes from the system it runs on. Each platform provides
// every function below, and readFileBytes and releaseFileBytes (file_bytes.h),
// in a file of its own: platform_linux.cpp, platform_windows.cpp and
// platform_web.cpp, where the two POSIX ones share paths and files
// (files_posix.cpp). It also supplies the SDL, GL and GLU entry points listed
// in platform_api.h: the desktop links the real libraries; the browser has its
// own SDL 1.2 side (sdl_web.cpp), gl4es and GLU's sources.
#pragma once

#include <cstddef>
#include <string>

// Who a message box belongs to: no window, or the window that has the keyboard
// focus, which the box then keeps in front of it and disabled until it closes.
enum MessageBoxOwner { MESSAGE_BOX_UNOWNED, MESSAGE_BOX_FOCUS_WINDOW };

// Shows a modal message box with an OK button and returns once it is closed
// (Windows; the browser's alert). On Linux the message is reported the way
// such a box would be, without blocking: the caption and the text go to
// standard error, so unattended runs can be tested. The command-line tools
// have every platform do that (console_messages.h).
void showMessageBox(MessageBoxOwner owner, const char* caption, const char* text);

// Asset paths are written with a backslash ("data\robot.ase"); this turns them
// into paths the local file system understands.
std::string assetPathToLocal(const char* path);

// Asks sdl12-compat to hand OpenGL programs the window's own framebuffer
// instead of a scaling one, unless the user chose otherwise. Call before SDL_Init.
void preferDirectGLPath();

// A hint that a large, freshly allocated block will be filled at once, so the
// system may back it with large pages. Only a hint: the block stays as it was.
void preferLargePages(void* block, size_t size);

// Makes a stop request from outside end the process at once (on Linux SIGINT,
// SIGTERM and SIGHUP, by the signal's default action; on Windows Ctrl+C,
// Ctrl+Break and closing the console, with the status Windows gives a console
// program stopped that way), and a lost connection to the X display end it
// with EXIT_DISPLAY_LOST and one line on standard error, without touching that
// connection again. The window's close button is not a stop request: it stays
// ignored. A page in the browser has neither. Call first in main, before SDL
// starts.
void endOnStopRequests();

// Runs `pass` again and again until the program exits: on the desktop in an
// endless loop, as fast as the passes go; in the browser once per animation
// frame, handing the page back in between. Never returns.
[[noreturn]] void runMainLoop(void (*pass)());
