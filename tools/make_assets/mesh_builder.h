// Solid primitives appended to a mesh with outward-facing triangles. Flat sides
// get vertices of their own so that a reader averaging face normals per vertex
// keeps their edges sharp; round surfaces share vertices so they shade smoothly.
#pragma once

#include "mesh.h"

enum class Axis { X, Y, Z };

int addVertex(Mesh& mesh, Vec3 position);

// Adds triangle (a, b, c), swapping two corners when needed so that its front
// side faces along `outward`.
void addTriangleFacing(Mesh& mesh, int a, int b, int c, Vec3 outward);

// Axis-aligned box between the corners `low` and `high`.
void addBox(Mesh& mesh, Vec3 low, Vec3 high);

// Closed cylinder from `base` along the positive `axis` for `length`, with
// `sides` facets (a divisor of TURN_STEPS).
void addCylinder(Mesh& mesh, Vec3 base, Axis axis, double radius, double length, int sides);

// Sphere of `around` segments around the vertical axis and `rings` from pole to
// pole (`around` and twice `rings` divisors of TURN_STEPS).
void addSphere(Mesh& mesh, Vec3 centre, double radius, int around, int rings);

// Gives every vertex a texture coordinate by projecting it along z onto the
// rectangle from `low` to `high`: the picture faces +z with (0, 0) at the low
// corner and (1, 1) at the high one; sides parallel to z take its edge texels.
void projectTexCoordsAlongZ(Mesh& mesh, Vec2 low, Vec2 high);
