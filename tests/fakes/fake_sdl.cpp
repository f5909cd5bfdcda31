// The fake SDL entry points.
#include "fake_sdl.h"

#include <cstring>

namespace fakesdl {

uint32_t ticks;
uint32_t tickStep;
uint32_t tickReads;
Uint8 keys[SDLK_LAST];
Uint8 mouseButtons;
int mouseX, mouseY;
int initResult;
bool videoModeFails;
const char* driverName;
int quitCount, pollCount, swapCount;

static SDL_Surface screen;

void reset() {
    ticks = 0;
    tickStep = 0;
    tickReads = 0;
    std::memset(keys, 0, sizeof keys);
    mouseButtons = 0;
    mouseX = mouseY = 0;
    initResult = 0;
    videoModeFails = false;
    driverName = "x11";
    quitCount = pollCount = swapCount = 0;
}

} // namespace fakesdl

extern "C" {

int SDL_Init(Uint32) {
    return fakesdl::initResult;
}
void SDL_Quit(void) {
    ++fakesdl::quitCount;
}

char* SDL_VideoDriverName(char* namebuf, int maxlen) {
    if (!fakesdl::driverName || maxlen <= 0)
        return nullptr;
    std::strncpy(namebuf, fakesdl::driverName, size_t(maxlen) - 1);
    namebuf[maxlen - 1] = '\0';
    return namebuf;
}

SDL_Surface* SDL_SetVideoMode(int, int, int, Uint32) {
    return fakesdl::videoModeFails ? nullptr : &fakesdl::screen;
}

int SDL_GL_SetAttribute(SDL_GLattr, int) {
    return 0;
}
void SDL_WM_SetCaption(const char*, const char*) {}

int SDL_PollEvent(SDL_Event*) {
    ++fakesdl::pollCount;
    return 0;
}

Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys)
        *numkeys = SDLK_LAST;
    return fakesdl::keys;
}

Uint8 SDL_GetMouseState(int* x, int* y) {
    if (x)
        *x = fakesdl::mouseX;
    if (y)
        *y = fakesdl::mouseY;
    return fakesdl::mouseButtons;
}

void SDL_GL_SwapBuffers(void) {
    ++fakesdl::swapCount;
}

Uint32 SDL_GetTicks(void) {
    ++fakesdl::tickReads;
    const uint32_t now = fakesdl::ticks;
    fakesdl::ticks += fakesdl::tickStep;
    return now;
}

} // extern "C"
