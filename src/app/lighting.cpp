// Adding and resetting lights. The table belongs to the program, not to one
// Application, so the operations ignore the object they are called on.
#include "app/lighting.h"

#include "app/application.h"

#include <cstring>

LightSlot lights[MAX_LIGHTS];

void Application::resetLights() {
    glEnable(GL_LIGHTING);
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    for (LightSlot& slot : lights) {
        slot.used = false;
        std::memcpy(slot.specular, white, sizeof white);
        std::memcpy(slot.diffuse, white, sizeof white);
        std::memcpy(slot.ambient, white, sizeof white);
        std::memset(slot.position, 0, sizeof slot.position);
    }
}

bool Application::addLight(const float* ambient, const float* diffuse, const float* specular,
                           const float* position) {
    for (int i = 0; i < MAX_LIGHTS; ++i) {
        LightSlot& slot = lights[i];
        if (slot.used)
            continue;
        slot.used = true;
        std::memcpy(slot.ambient, ambient, sizeof slot.ambient);
        std::memcpy(slot.diffuse, diffuse, sizeof slot.diffuse);
        std::memcpy(slot.specular, specular, sizeof slot.specular);
        std::memcpy(slot.position, position, sizeof slot.position);
        slot.number = i;

        // The position goes through the current modelview matrix, once.
        const GLenum light = GL_LIGHT0 + i;
        glLightfv(light, GL_SPECULAR, slot.specular);
        glLightfv(light, GL_DIFFUSE, slot.diffuse);
        glLightfv(light, GL_AMBIENT, slot.ambient);
        glLightfv(light, GL_POSITION, slot.position);
        glEnable(light);
        return true;
    }
    return false;
}
