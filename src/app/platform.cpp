// Linux versions of the desktop services the program relies on.
#include "app/platform.h"

#include "app/platform_api.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void showMessageBox(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s", caption ? caption : "", text ? text : "");
    const size_t length = text ? std::strlen(text) : 0;
    if (length == 0 || text[length - 1] != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

std::string platformPath(const char* path) {
    std::string result = path ? path : "";
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

void preferDirectGLPath() {
    // The window is never resized, so the scaling framebuffer only costs a copy
    // of every frame; overwrite = 0 keeps a value the user set.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
}

bool videoDriverIsUnseen() {
    char name[64] = {};
    if (!SDL_VideoDriverName(name, sizeof name))
        return false;
    if (std::strcmp(name, "offscreen") != 0)
        return false;
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    return !(chosen && std::strstr(chosen, "offscreen"));
}
