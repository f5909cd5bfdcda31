// A fake SDL 1.2 for unit tests: a tick counter the test sets (optionally
// stepping on every reading), key and mouse arrays, and switches for failures.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace fakesdl {

extern uint32_t ticks;     // what the next SDL_GetTicks returns
extern uint32_t tickStep;  // added to `ticks` after every SDL_GetTicks
extern uint32_t tickReads; // how many times SDL_GetTicks was called
extern Uint8 keys[SDLK_LAST];
extern Uint8 mouseButtons;
extern int mouseX, mouseY;

extern int initResult;         // what SDL_Init returns
extern bool videoModeFails;    // SDL_SetVideoMode returns null
extern const char* driverName; // what SDL_VideoDriverName reports
extern int quitCount, pollCount, swapCount;

void reset();

} // namespace fakesdl
