// The eye is placed around the target robot every frame; the keys and mouse
// buttons act when the pacing rule says their step is due.
#include "scene/camera.h"

#include "app/application.h"
#include "platform/exit_status.h"
#include "platform/pacing.h"
#include "scene/robot.h"

#include <cmath>
#include <cstdlib>

Camera camera = {tVector3(0.0f, 0.0f, 0.0f), 0.0f, 0.0f, 5.0f, 0, 0};

namespace {

const uint32_t KEY_INTERVAL = 10;   // ms between key steps
const uint32_t MOUSE_INTERVAL = 40; // ms between mouse steps
const double TARGET_STEP = 0.04f;   // world units per key step; the float value, widened
const double ORBIT_STEP = 0.1;      // radians (turn) and world units (zoom) per mouse step

// The trigonometry of the camera is single precision: computed in double,
// rounded to float.
float floatCos(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}
float floatSin(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

bool held(const Uint8* keys, int key) {
    return keys && keys[key];
}

} // namespace

tVector3 orbitEye(float orbitAngle, float orbitDistance, float eyeHeight, double targetX,
                  double targetY, double targetZ) {
    tVector3 eye;
    eye.x = static_cast<float>(floatCos(orbitAngle) * orbitDistance + targetX);
    eye.z = static_cast<float>(floatSin(orbitAngle) * orbitDistance + targetZ);
    eye.y = static_cast<float>(eyeHeight + targetY);
    return eye;
}

void placeCamera() {
    camera.eye = orbitEye(camera.orbitAngle, camera.orbitDistance, camera.eyeHeight, cameraTarget.x,
                          cameraTarget.y, cameraTarget.z);
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, cameraTarget.x, cameraTarget.y,
              cameraTarget.z, 0.0, 1.0, 0.0);
}

void handleControls(const Application& app) {
    if (!isDue(SDL_GetTicks(), camera.lastKeyTick, KEY_INTERVAL))
        return;
    camera.lastKeyTick = SDL_GetTicks();

    const Uint8* keys = app.keys;
    if (held(keys, SDLK_ESCAPE))
        std::exit(EXIT_ESCAPE);

    if (held(keys, SDLK_LEFT))
        cameraTarget.x -= TARGET_STEP;
    if (held(keys, SDLK_RIGHT))
        cameraTarget.x += TARGET_STEP;
    if (held(keys, SDLK_UP))
        cameraTarget.z += TARGET_STEP;
    if (held(keys, SDLK_DOWN))
        cameraTarget.z -= TARGET_STEP;
    // Page Up lowers the target, Page Down raises it.
    if (held(keys, SDLK_PAGEUP))
        cameraTarget.y -= TARGET_STEP;
    if (held(keys, SDLK_PAGEDOWN))
        cameraTarget.y += TARGET_STEP;

    if (!isDue(SDL_GetTicks(), camera.lastMouseTick, MOUSE_INTERVAL))
        return;
    camera.lastMouseTick = SDL_GetTicks();

    // Only the left shift key reverses the turn and the zoom.
    const double direction = held(keys, SDLK_LSHIFT) ? 1.0 : -1.0;
    if (app.mouseButtons & SDL_BUTTON_LMASK)
        camera.orbitAngle = static_cast<float>(camera.orbitAngle + direction * ORBIT_STEP);
    if (app.mouseButtons & SDL_BUTTON_MMASK)
        camera.orbitDistance = static_cast<float>(camera.orbitDistance + direction * ORBIT_STEP);
}
