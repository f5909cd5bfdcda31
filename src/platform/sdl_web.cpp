// The SDL 1.2 entry points the program calls, for the browser, on Emscripten's
// HTML5 API: the WebGL context on the canvas the page gives this start of the
// program (Module.canvas; drawn through gl4es), the key state indexed by SDL
// 1.2 key numbers and the mouse buttons as SDL masks, kept current by the
// page's events, a queue of SDL 1.2 events, and the millisecond clock.
// Emscripten's own SDL numbers keys and flags like SDL 2 and writes larger
// events, so the program, compiled against the SDL 1.2 headers, brings this
// instead.
#include "platform/platform_api.h"

#include <emscripten.h>
#include <emscripten/html5.h>
#include <gl4esinit.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

// gl4es's frame boundary when it creates no context of its own: what it has
// batched goes to WebGL before the browser shows the frame.
extern "C" void gl4es_pre_swap(void);
extern "C" void gl4es_post_swap(void);

namespace {

// Module.canvas, whatever its id: the page gives every start of the program a
// fresh canvas, and one started before must never find the next one's.
const char* const CANVAS = "!canvas";

struct KeyName {
    const char* code; // KeyboardEvent.code: the key's place, whatever the layout
    SDLKey key;
};

// The keys a PC keyboard has, as SDL 1.2 numbers them (letters and digits by
// their US layout, as SDL 1.2 does without a layout of its own).
const KeyName KEYS[] = {
    {"Escape", SDLK_ESCAPE},
    {"F1", SDLK_F1},
    {"F2", SDLK_F2},
    {"F3", SDLK_F3},
    {"F4", SDLK_F4},
    {"F5", SDLK_F5},
    {"F6", SDLK_F6},
    {"F7", SDLK_F7},
    {"F8", SDLK_F8},
    {"F9", SDLK_F9},
    {"F10", SDLK_F10},
    {"F11", SDLK_F11},
    {"F12", SDLK_F12},
    {"F13", SDLK_F13},
    {"F14", SDLK_F14},
    {"F15", SDLK_F15},
    {"PrintScreen", SDLK_PRINT},
    {"ScrollLock", SDLK_SCROLLOCK},
    {"Pause", SDLK_PAUSE},
    {"Backquote", SDLK_BACKQUOTE},
    {"Minus", SDLK_MINUS},
    {"Equal", SDLK_EQUALS},
    {"Backspace", SDLK_BACKSPACE},
    {"Tab", SDLK_TAB},
    {"BracketLeft", SDLK_LEFTBRACKET},
    {"BracketRight", SDLK_RIGHTBRACKET},
    {"Backslash", SDLK_BACKSLASH},
    {"CapsLock", SDLK_CAPSLOCK},
    {"Semicolon", SDLK_SEMICOLON},
    {"Quote", SDLK_QUOTE},
    {"Enter", SDLK_RETURN},
    {"IntlBackslash", SDLK_LESS},
    {"Comma", SDLK_COMMA},
    {"Period", SDLK_PERIOD},
    {"Slash", SDLK_SLASH},
    {"Space", SDLK_SPACE},
    {"ShiftLeft", SDLK_LSHIFT},
    {"ShiftRight", SDLK_RSHIFT},
    {"ControlLeft", SDLK_LCTRL},
    {"ControlRight", SDLK_RCTRL},
    {"AltLeft", SDLK_LALT},
    {"AltRight", SDLK_RALT},
    {"MetaLeft", SDLK_LSUPER},
    {"MetaRight", SDLK_RSUPER},
    {"ContextMenu", SDLK_MENU},
    {"Insert", SDLK_INSERT},
    {"Delete", SDLK_DELETE},
    {"Home", SDLK_HOME},
    {"End", SDLK_END},
    {"PageUp", SDLK_PAGEUP},
    {"PageDown", SDLK_PAGEDOWN},
    {"ArrowUp", SDLK_UP},
    {"ArrowDown", SDLK_DOWN},
    {"ArrowLeft", SDLK_LEFT},
    {"ArrowRight", SDLK_RIGHT},
    {"NumLock", SDLK_NUMLOCK},
    {"NumpadDivide", SDLK_KP_DIVIDE},
    {"NumpadMultiply", SDLK_KP_MULTIPLY},
    {"NumpadSubtract", SDLK_KP_MINUS},
    {"NumpadAdd", SDLK_KP_PLUS},
    {"NumpadEnter", SDLK_KP_ENTER},
    {"NumpadDecimal", SDLK_KP_PERIOD},
    {"NumpadEqual", SDLK_KP_EQUALS},
    {"Numpad0", SDLK_KP0},
    {"Numpad1", SDLK_KP1},
    {"Numpad2", SDLK_KP2},
    {"Numpad3", SDLK_KP3},
    {"Numpad4", SDLK_KP4},
    {"Numpad5", SDLK_KP5},
    {"Numpad6", SDLK_KP6},
    {"Numpad7", SDLK_KP7},
    {"Numpad8", SDLK_KP8},
    {"Numpad9", SDLK_KP9},
};

// SDL 1.2 keeps at most this many events; later ones are dropped.
const int QUEUE_SIZE = 128;

struct Input {
    Uint8 keys[SDLK_LAST];
    Uint8 buttons; // SDL_BUTTON masks of the buttons held
    int mouseX, mouseY;
    SDL_Event queue[QUEUE_SIZE];
    int queueStart, queued;
};

Input input;
double startTime; // ms, emscripten_get_now() at SDL_Init
bool listening;
SDL_Surface screen;

SDLKey keyForCode(const char* code) {
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0')
        return SDLKey('a' + (code[3] - 'A'));
    if (std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && code[6] == '\0')
        return SDLKey(code[5]);
    for (const KeyName& k : KEYS)
        if (std::strcmp(k.code, code) == 0)
            return k.key;
    return SDLK_UNKNOWN;
}

// SDL 1.2 has no modifier bit for the Windows (super) keys.
SDLMod heldModifiers() {
    static const struct {
        SDLKey key;
        int mod;
    } MODIFIERS[] = {{SDLK_LSHIFT, KMOD_LSHIFT}, {SDLK_RSHIFT, KMOD_RSHIFT},
                     {SDLK_LCTRL, KMOD_LCTRL},   {SDLK_RCTRL, KMOD_RCTRL},
                     {SDLK_LALT, KMOD_LALT},     {SDLK_RALT, KMOD_RALT}};
    int mod = KMOD_NONE;
    for (const auto& m : MODIFIERS)
        if (input.keys[m.key])
            mod |= m.mod;
    return SDLMod(mod);
}

void queueEvent(const SDL_Event& event) {
    if (input.queued == QUEUE_SIZE)
        return;
    input.queue[(input.queueStart + input.queued) % QUEUE_SIZE] = event;
    ++input.queued;
}

// A key the page would act on itself (scrolling) is the program's alone while
// the canvas has the focus; every other key also keeps its meaning for the
// browser (F5, Ctrl+L, Tab to leave the canvas).
bool pageWouldScroll(SDLKey key) {
    return key == SDLK_UP || key == SDLK_DOWN || key == SDLK_LEFT || key == SDLK_RIGHT ||
           key == SDLK_PAGEUP || key == SDLK_PAGEDOWN || key == SDLK_HOME || key == SDLK_END ||
           key == SDLK_SPACE;
}

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* e, void*) {
    const SDLKey key = keyForCode(e->code);
    if (key == SDLK_UNKNOWN)
        return EM_FALSE;
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    // SDL 1.2 sends no repeats unless asked to.
    if (!(down && e->repeat)) {
        input.keys[key] = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_Event event = {};
        event.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        event.key.keysym.mod = heldModifiers();
        queueEvent(event);
    }
    return pageWouldScroll(key) ? EM_TRUE : EM_FALSE;
}

// The page may show the canvas at another size than its pixels (zoom, a
// narrow window); SDL reports positions in the window's pixels.
void placeMouse(const EmscriptenMouseEvent* e) {
    if (screen.w <= 0 || screen.h <= 0)
        return; // no window yet
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(CANVAS, &cssWidth, &cssHeight);
    const int x = cssWidth > 0 ? int(double(e->targetX) * screen.w / cssWidth) : int(e->targetX);
    const int y = cssHeight > 0 ? int(double(e->targetY) * screen.h / cssHeight) : int(e->targetY);
    input.mouseX = x < 0 ? 0 : x >= screen.w ? screen.w - 1 : x;
    input.mouseY = y < 0 ? 0 : y >= screen.h ? screen.h - 1 : y;
}

EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* e, void*) {
    const int oldX = input.mouseX, oldY = input.mouseY;
    placeMouse(e);
    SDL_Event event = {};
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.state = input.buttons;
    event.motion.x = Uint16(input.mouseX);
    event.motion.y = Uint16(input.mouseY);
    event.motion.xrel = Sint16(input.mouseX - oldX);
    event.motion.yrel = Sint16(input.mouseY - oldY);
    queueEvent(event);
    return EM_FALSE;
}

// The page numbers buttons from 0 (left, middle, right); SDL from 1.
EM_BOOL onMouseButton(int type, const EmscriptenMouseEvent* e, void*) {
    if (e->button > 2)
        return EM_FALSE;
    const Uint8 button = Uint8(e->button + 1);
    const bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
    if (!down && !(input.buttons & SDL_BUTTON(button)))
        return EM_FALSE; // pressed outside the canvas
    if (down) {
        input.buttons |= SDL_BUTTON(button);
        placeMouse(e);
    } else {
        input.buttons &= Uint8(~SDL_BUTTON(button));
    }
    SDL_Event event = {};
    event.button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = Uint16(input.mouseX);
    event.button.y = Uint16(input.mouseY);
    queueEvent(event);
    // The middle button would start the browser's autoscroll.
    return down && button == SDL_BUTTON_MIDDLE ? EM_TRUE : EM_FALSE;
}

// Keys and buttons released while the canvas did not have the focus never
// reach it: like SDL on a desktop, losing the focus lets go of everything.
EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*) {
    std::memset(input.keys, 0, sizeof input.keys);
    input.buttons = 0;
    return EM_FALSE;
}

void listen() {
    emscripten_set_keydown_callback(CANVAS, nullptr, EM_FALSE, onKey);
    emscripten_set_keyup_callback(CANVAS, nullptr, EM_FALSE, onKey);
    emscripten_set_mousemove_callback(CANVAS, nullptr, EM_FALSE, onMouseMove);
    emscripten_set_mousedown_callback(CANVAS, nullptr, EM_FALSE, onMouseButton);
    // A button pressed on the canvas may be let go anywhere.
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                    onMouseButton);
    emscripten_set_blur_callback(CANVAS, nullptr, EM_FALSE, onBlur);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onBlur);
    listening = true;
}

} // namespace

extern "C" {

int SDL_Init(Uint32 flags) {
    if (startTime == 0)
        startTime = emscripten_get_now();
    if (!(flags & SDL_INIT_VIDEO))
        return 0;
    const int hasCanvas = EM_ASM_INT(
        {
            if (!Module["canvas"])
                return 0;
            specialHTMLTargets[UTF8ToString($0)] = Module["canvas"];
            return 1;
        },
        CANVAS);
    if (!hasCanvas)
        return -1; // a page that gave the program no canvas
    if (!listening)
        listen();
    return 0;
}

// The page keeps the last picture; the keys go back to the page.
void SDL_Quit(void) {
    if (listening)
        emscripten_html5_remove_all_event_listeners();
    listening = false;
    std::memset(&input, 0, sizeof input);
}

char* SDL_VideoDriverName(char* namebuf, int maxlen) {
    if (!listening || !namebuf || maxlen <= 0)
        return nullptr;
    std::strncpy(namebuf, "emscripten", size_t(maxlen) - 1);
    namebuf[maxlen - 1] = '\0';
    return namebuf;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int, Uint32 flags) {
    if (!listening || !(flags & SDL_OPENGL) || width <= 0 || height <= 0)
        return nullptr;
    if (emscripten_set_canvas_element_size(CANVAS, width, height) != EMSCRIPTEN_RESULT_SUCCESS)
        return nullptr;
    // Like the desktop window: opaque, with a depth buffer, no multisampling,
    // and keeping its last picture when the program ends (the browser may
    // otherwise drop a frame's buffer once it has been shown).
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context(CANVAS, &attributes);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS)
        return nullptr;
    // gl4es greets with lines on standard output, which holds only the trace.
    setenv("LIBGL_NOBANNER", "1", 0);
    initialize_gl4es();
    screen.w = width;
    screen.h = height;
    return &screen;
}

// The context was made at the mode set; the browser offers no other.
int SDL_GL_SetAttribute(SDL_GLattr, int) {
    return 0;
}

void SDL_WM_SetCaption(const char* title, const char*) {
    if (title)
        EM_ASM({ document.title = UTF8ToString($0); }, title);
}

int SDL_PollEvent(SDL_Event* event) {
    if (input.queued == 0)
        return 0;
    if (event) {
        *event = input.queue[input.queueStart];
        input.queueStart = (input.queueStart + 1) % QUEUE_SIZE;
        --input.queued;
    }
    return 1;
}

Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys)
        *numkeys = SDLK_LAST;
    return input.keys;
}

Uint8 SDL_GetMouseState(int* x, int* y) {
    if (x)
        *x = input.mouseX;
    if (y)
        *y = input.mouseY;
    return input.buttons;
}

// The browser shows the frame when the pass hands the page back.
void SDL_GL_SwapBuffers(void) {
    gl4es_pre_swap();
    gl4es_post_swap();
}

Uint32 SDL_GetTicks(void) {
    // Wraps after 49.7 days, as SDL's counter does.
    return Uint32(uint64_t(emscripten_get_now() - startTime));
}

} // extern "C"
