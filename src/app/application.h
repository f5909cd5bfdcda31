// The program's one window, GL context and per-pass input snapshot, with the
// fatal-error path and the table of lights.
#pragma once

#include "platform/platform_api.h"

#include <cstdint>

const int APP_LIGHTING = 1;

class Application {
  public:
    int32_t width;
    int32_t height;
    int32_t bpp;
    int32_t mouseX;
    int32_t mouseY;
    int32_t flags;
    Uint8* keys;          // SDL's key-state array, indexed by key symbol; owned by SDL
    uint8_t mouseButtons; // SDL button mask: 1 left, 2 middle, 4 right

    void init();
    void setVideo(int32_t width, int32_t height);
    void initGL(int32_t flags);
    void updateInput();
    void swapBuffers();
    void shutdown();

    // Shows the formatted message on the console, writes it to "error.txt" and
    // ends the process with status 2. At most 149 characters are kept.
    [[noreturn]] void error(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void resetLights();
    bool addLight(const float* ambient, const float* diffuse, const float* specular,
                  const float* position);
};

extern Application application;
extern SDL_Event event;
