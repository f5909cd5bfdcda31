// Puts a converted model where the shipped robot stands: turned about the
// vertical axis, uniformly scaled to a height, with the middle of its box on
// the robot's vertical axis and its lowest point where the robot's feet are.
// A flat model, such as a plane or a sign lying down, has no height to scale:
// its widest side takes the height instead.
#pragma once

#include "mesh.h"

#include <string>

// The shipped robot (tools/make_assets/robot_shape.cpp) stands with its feet on
// y = -1 and reaches y = 0.4 with the tops of its antennae. Its box is centred
// on x = 0 and, since the chest panel stands out in front, on z = 0.01 (from
// the back of its body at -0.12 to the front of the panel at 0.14). It faces
// +z, which Robot::draw (src/scene/robot.cpp) turns to the walking direction.
constexpr double ROBOT_HEIGHT = 1.4;
constexpr double ROBOT_FEET_Y = -1.0;
constexpr double ROBOT_AXIS_X = 0.0;
constexpr double ROBOT_AXIS_Z = 0.01;

// What was done, for the summary. The model's points p became
// scale * turned(p) + move, where turned() turns by `turnDegrees` about the
// vertical axis from +x towards +z, the way the program's headings count.
struct Placement {
    double turnDegrees;
    double scale;
    Vec3 move;
    Vec3 sourceLow, sourceHigh; // the bounding box once turned, before scaling
    Vec3 low, high;             // and in the end
    bool flat;                  // scaled by its widest side, having no height to scale
};

// The widest a placed model may be, in world units: far beyond any scene, and
// well inside what the four decimals of the file can hold.
constexpr double MAX_PLACED_EXTENT = 1e6;

// Places every vertex of the model. A model is flat when it has no height, or
// so little that at `height` it would be wider than MAX_PLACED_EXTENT. False,
// with a reason, when the model has no vertices or all of them lie at one
// point.
bool placeModel(Model* model, double height, double turnDegrees, Placement* placement,
                std::string* reason);
