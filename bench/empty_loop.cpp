// The floor under letterbot's frame rate: a loop that only polls, clears and
// swaps a window like letterbot's. Prints passes per second.
// usage: empty_loop [SECONDS]
#include "platform/platform.h"
#include "platform/platform_api.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    preferDirectGLPath();
    if (SDL_Init(SDL_INIT_VIDEO) == -1 || !SDL_SetVideoMode(1024, 768, 16, SDL_OPENGL)) {
        std::fprintf(stderr, "empty_loop: no OpenGL window\n");
        return 1;
    }
    // What the context gives the drawing: the scene relies on both.
    GLint depthBits = 0;
    GLboolean doubleBuffered = GL_FALSE;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    SDL_Event event;
    const Uint32 start = SDL_GetTicks();
    long passes = 0;
    while (SDL_GetTicks() - start < seconds * 1000.0) {
        SDL_PollEvent(&event);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        ++passes;
    }
    const double elapsed = (SDL_GetTicks() - start) / 1000.0;
    const char* scaling = std::getenv("SDL12COMPAT_OPENGL_SCALING");
    std::printf("empty loop: %.0f passes per second (SDL12COMPAT_OPENGL_SCALING=%s); "
                "depth buffer %d bits, %s\n",
                passes / elapsed, scaling ? scaling : "unset", depthBits,
                doubleBuffered ? "double-buffered" : "single-buffered");
    SDL_Quit();
    return 0;
}
