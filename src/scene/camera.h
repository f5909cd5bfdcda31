// The look-at camera that orbits the camera-target robot, and the controls.
#pragma once

#include "assets/model.h"

#include <cstdint>

class Application;

struct Camera {
    tVector3 eye;
    float orbitAngle;       // radians, not wrapped; 0 puts the eye on the +x side
    float eyeHeight;        // above the target
    float orbitDistance;    // horizontal distance from the target; unbounded
    uint32_t lastKeyTick;   // SDL ticks of the last key step
    uint32_t lastMouseTick; // SDL ticks of the last mouse step
};

extern Camera camera;

// The eye for an orbit around a target.
tVector3 orbitEye(float orbitAngle, float orbitDistance, float eyeHeight, double targetX,
                  double targetY, double targetZ);

// Multiplies the look-at view onto the current (modelview) matrix.
void placeCamera();

// Escape (exit status 200), the arrow and page keys that move the camera target,
// and the mouse buttons that turn and zoom the camera; paced on SDL's ticks.
void handleControls(const Application& app);
