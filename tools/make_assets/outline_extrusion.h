// Flat outlines in the x-y plane turned into closed solids between z = -depth/2
// and z = +depth/2: a front face towards +z, a back face and the side walls.
#pragma once

#include <vector>

#include "mesh.h"

// A boundary loop of an outline: indices into the outline's points. A sharp
// point starts a new side wall, so the walls meeting there keep a crisp edge.
struct OutlineLoop {
    std::vector<int> points;
    std::vector<bool> sharp;
    bool hole;
};

struct Outline {
    std::vector<Vec2> points;
    std::vector<Triangle> front; // any winding, turned towards +z when extruded
    std::vector<OutlineLoop> loops;
};

// A convex quadrilateral, corners in order around it (either direction).
Outline quadOutline(Vec2 a, Vec2 b, Vec2 c, Vec2 d);

// An axis-aligned rectangle.
Outline rectOutline(double x0, double y0, double x1, double y1);

// A band between two paths of equal length that run side by side: side A point
// i faces side B point i across the band. An open band has square ends; a closed
// band joins its last points to its first and makes a ring.
Outline bandOutline(const std::vector<Vec2>& sideA, const std::vector<Vec2>& sideB, bool closed);

void extrudeOutline(Mesh& mesh, const Outline& outline, double depth);
