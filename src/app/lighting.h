// The table of ten lights that mirrors GL_LIGHT0 to GL_LIGHT0 + 9.
#pragma once

const int MAX_LIGHTS = 10;

struct LightSlot {
    float specular[4];
    float diffuse[4];
    float ambient[4];
    float position[4]; // w = 0: a directional light from (x, y, z)
    int number;        // the slot's own index; the GL light is GL_LIGHT0 + number
    bool used;
};

extern LightSlot lights[MAX_LIGHTS];
