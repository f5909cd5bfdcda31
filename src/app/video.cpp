// The window, the GL context with its fixed state, and the input snapshot.
#include "app/application.h"

#include "app/error_log.h"
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>

Application application;
SDL_Event event;

// True when SDL fell back to its invisible offscreen driver although the user
// did not ask for it through SDL_VIDEODRIVER: no window could ever be seen.
static bool videoDriverIsUnseen() {
    char name[64] = {};
    if (!SDL_VideoDriverName(name, sizeof name))
        return false;
    if (std::strcmp(name, "offscreen") != 0)
        return false;
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    return !(chosen && std::strstr(chosen, "offscreen"));
}

void Application::init() {
    openErrorLog();
    if (SDL_Init(SDL_INIT_VIDEO) == -1)
        error("SDL_Init(SDL_INIT_VIDEO) == -1");
    // Without an X server SDL quietly picks an invisible offscreen driver; a
    // window nobody can see or close is a failed start, not a running program.
    if (videoDriverIsUnseen())
        error("SDL_Init(SDL_INIT_VIDEO) == -1");
}

void Application::setVideo(int32_t newWidth, int32_t newHeight) {
    width = newWidth;
    height = newHeight;
    bpp = 16;
    if (SDL_SetVideoMode(width, height, bpp, SDL_OPENGL) == nullptr) {
        shutdown();
        error("SDL_SetVideoMode == NULL");
    }
    SDL_WM_SetCaption("letterbot", "letterbot");
    glLineWidth(4.0f);
}

void Application::initGL(int32_t newFlags) {
    flags = newFlags;
    // SDL 1.2 applies these only at the next mode set; the mode set already asked
    // for double buffering and a 16-bit depth buffer by default.
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double halfSize = 2.0;
    glFrustum(-halfSize, halfSize, -halfSize, halfSize, 3.0, 55.0);
    glMatrixMode(GL_MODELVIEW);

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    if (flags & APP_LIGHTING)
        resetLights();
    glShadeModel(GL_SMOOTH);
}

void Application::updateInput() {
    // One event a pass; pumping it is what keeps SDL's key and mouse state current.
    SDL_PollEvent(&event);
    keys = SDL_GetKeyState(nullptr);
    mouseButtons = static_cast<uint8_t>(SDL_GetMouseState(&mouseX, &mouseY));
}

void Application::swapBuffers() {
    SDL_GL_SwapBuffers();
}

void Application::shutdown() {
    SDL_Quit();
}
