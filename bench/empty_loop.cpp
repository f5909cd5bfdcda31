// The floor under letterbot's frame rate: a loop that only polls, clears and
// presents a window like letterbot's, through the same platform layer and main
// loop, so that it runs on the desktop and, as the baseline page, in the
// browser. After SECONDS (default 15; the page has no arguments) it prints its
// passes per second and ends.
// usage: empty_loop [SECONDS]
#include "platform/platform.h"
#include "platform/platform_api.h"

#include <cstdio>
#include <cstdlib>

namespace {

double seconds;
Uint32 start;
long passes;
SDL_Event event;

void runPass() {
    SDL_PollEvent(&event);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    ++passes;
    const double elapsed = (SDL_GetTicks() - start) / 1000.0;
    if (elapsed < seconds)
        return;
    GLint depthBits = 0;
    GLboolean doubleBuffered = GL_FALSE;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    const char* scaling = std::getenv("SDL12COMPAT_OPENGL_SCALING");
    std::printf("empty loop: %.0f passes per second (SDL12COMPAT_OPENGL_SCALING=%s); "
                "depth buffer %d bits, %s\n",
                passes / elapsed, scaling ? scaling : "unset", depthBits,
                doubleBuffered ? "double-buffered" : "single-buffered");
    std::exit(0);
}

} // namespace

int main(int argc, char** argv) {
    seconds = argc > 1 ? std::atof(argv[1]) : 15.0;
    preferDirectGLPath();
    if (SDL_Init(SDL_INIT_VIDEO) == -1 || !SDL_SetVideoMode(1024, 768, 16, SDL_OPENGL)) {
        std::fprintf(stderr, "empty_loop: no OpenGL window\n");
        return 1;
    }
    std::atexit(SDL_Quit);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    start = SDL_GetTicks();
    runMainLoop(runPass);
}
