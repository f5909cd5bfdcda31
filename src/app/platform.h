// The services the program takes from its operating system: the message box,
// the backslash asset paths, the choice of SDL's video path and a memory hint.
// Each platform has its own file (platform_linux.cpp, platform_windows.cpp).
#pragma once

#include <cstddef>
#include <string>

// Who a message box belongs to: no window, or the window that has the keyboard
// focus, which the box then keeps in front of it and disabled until it closes.
enum MessageBoxOwner { MESSAGE_BOX_UNOWNED, MESSAGE_BOX_FOCUS_WINDOW };

// Shows a modal message box with an OK button and returns once it is closed
// (Windows). On Linux the message is reported the way such a box would be,
// without blocking: the caption and the text go to standard error, so
// unattended runs can be tested.
void showMessageBox(MessageBoxOwner owner, const char* caption, const char* text);

// For the command-line tools: from now on message boxes are lines on standard
// error, as on Linux, and never wait for a click.
void showMessagesOnConsole();

// Asset paths are written with a backslash ("data\robot.ase"); this turns them
// into paths the local file system understands.
std::string platformPath(const char* path);

// Asks sdl12-compat to hand OpenGL programs the window's own framebuffer
// instead of a scaling one, unless the user chose otherwise. Call before SDL_Init.
void preferDirectGLPath();

// A hint that a large, freshly allocated block will be filled at once, so the
// system may back it with large pages. Only a hint: the block stays as it was.
void preferLargePages(void* block, size_t size);
