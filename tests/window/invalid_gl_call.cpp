// Opens a GL window as the program does and makes one invalid GL call, so
// that a test can prove that the check for GL errors, which reads what Mesa
// reports on standard error, sees one. Prints the error GL itself recorded.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>

int main(int, char**) {
    // As the program sets it: sdl12-compat's scaling framebuffer makes an
    // invalid GL call of its own while it sets up.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
    if (SDL_Init(SDL_INIT_VIDEO) == -1 || !SDL_SetVideoMode(64, 64, 0, SDL_OPENGL)) {
        std::fprintf(stderr, "invalid_gl_call: no GL window: %s\n", SDL_GetError());
        return 1;
    }
    glEnable(0x1234); // no such capability: GL_INVALID_ENUM
    std::printf("glGetError: 0x%04x\n", glGetError());
    SDL_GL_SwapBuffers();
    SDL_Quit();
    return 0;
}
