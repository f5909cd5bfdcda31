// Turned first, so that the box that scales and moves the model is the turned one.
#include "model_placement.h"

#include <algorithm>
#include <cmath>

// The box of every vertex; false when there is none.
static bool boundingBox(const Model& model, Vec3* low, Vec3* high) {
    bool any = false;
    for (const MeshObject& object : model.objects) {
        for (const Vec3& v : object.mesh.vertices) {
            if (!any) {
                *low = *high = v;
                any = true;
                continue;
            }
            low->x = std::min(low->x, v.x);
            low->y = std::min(low->y, v.y);
            low->z = std::min(low->z, v.z);
            high->x = std::max(high->x, v.x);
            high->y = std::max(high->y, v.y);
            high->z = std::max(high->z, v.z);
        }
    }
    return any;
}

bool placeModel(Model* model, double height, double turnDegrees, Placement* placement,
                std::string* reason) {
    const double pi = 3.14159265358979323846;
    const double turn = std::fmod(turnDegrees, 360.0);
    // Exact quarter turns keep exact coordinates.
    double c = std::cos(turn * pi / 180.0), s = std::sin(turn * pi / 180.0);
    if (std::fmod(turn, 90.0) == 0.0) {
        c = std::round(c);
        s = std::round(s);
    }
    for (MeshObject& object : model->objects)
        for (Vec3& v : object.mesh.vertices)
            v = {v.x * c - v.z * s, v.y, v.x * s + v.z * c};

    Vec3 low, high;
    if (!boundingBox(*model, &low, &high)) {
        *reason = "it has no vertices";
        return false;
    }
    const double sourceHeight = high.y - low.y;
    const double sourceWidth = std::max(high.x - low.x, high.z - low.z);
    double scale = height / sourceHeight;
    const bool flat = !(sourceHeight > 0.0) || !std::isfinite(scale) ||
                      !(sourceWidth * scale <= MAX_PLACED_EXTENT);
    if (flat)
        scale = height / sourceWidth;
    if (!(scale > 0.0) || !std::isfinite(scale)) {
        *reason = "it has no size to scale: all its points lie at one place";
        return false;
    }
    const Vec3 move = {ROBOT_AXIS_X - scale * (low.x + high.x) / 2, ROBOT_FEET_Y - scale * low.y,
                       ROBOT_AXIS_Z - scale * (low.z + high.z) / 2};
    for (MeshObject& object : model->objects)
        for (Vec3& v : object.mesh.vertices)
            v = {scale * v.x + move.x, scale * v.y + move.y, scale * v.z + move.z};

    placement->turnDegrees = turn;
    placement->scale = scale;
    placement->flat = flat;
    placement->move = move;
    placement->sourceLow = low;
    placement->sourceHigh = high;
    boundingBox(*model, &placement->low, &placement->high);
    return true;
}
