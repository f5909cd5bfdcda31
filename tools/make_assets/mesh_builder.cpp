// Boxes, cylinders and spheres built into a mesh with outward winding.
#include "mesh_builder.h"

#include "angle_table.h"

static Vec3 minus(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

static Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

static double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

int addVertex(Mesh& mesh, Vec3 position) {
    mesh.vertices.push_back(position);
    return static_cast<int>(mesh.vertices.size()) - 1;
}

void addTriangleFacing(Mesh& mesh, int a, int b, int c, Vec3 outward) {
    const Vec3& pa = mesh.vertices[a];
    Vec3 normal = cross(minus(mesh.vertices[b], pa), minus(mesh.vertices[c], pa));
    if (dot(normal, outward) < 0.0) {
        mesh.faces.push_back({a, c, b});
    } else {
        mesh.faces.push_back({a, b, c});
    }
}

// A flat quad with four vertices of its own; corners given in order around it.
static void addFlatQuad(Mesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 outward) {
    int i0 = addVertex(mesh, p0);
    int i1 = addVertex(mesh, p1);
    int i2 = addVertex(mesh, p2);
    int i3 = addVertex(mesh, p3);
    addTriangleFacing(mesh, i0, i1, i2, outward);
    addTriangleFacing(mesh, i0, i2, i3, outward);
}

void addBox(Mesh& mesh, Vec3 low, Vec3 high) {
    const double x0 = low.x, y0 = low.y, z0 = low.z;
    const double x1 = high.x, y1 = high.y, z1 = high.z;
    addFlatQuad(mesh, {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {0, 0, 1});
    addFlatQuad(mesh, {x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {0, 0, -1});
    addFlatQuad(mesh, {x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {1, 0, 0});
    addFlatQuad(mesh, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {-1, 0, 0});
    addFlatQuad(mesh, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}, {0, 1, 0});
    addFlatQuad(mesh, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, {0, -1, 0});
}

// Unit vectors (u, v, w) with w along the axis and u x v = w.
static void axisFrame(Axis axis, Vec3& u, Vec3& v, Vec3& w) {
    u = {1, 0, 0}, v = {0, 1, 0}, w = {0, 0, 1};
    if (axis == Axis::X) {
        u = {0, 1, 0}, v = {0, 0, 1}, w = {1, 0, 0};
    } else if (axis == Axis::Y) {
        u = {0, 0, 1}, v = {1, 0, 0}, w = {0, 1, 0};
    }
}

static Vec3 along(Vec3 origin, Vec3 u, double a, Vec3 v, double b, Vec3 w, double c) {
    return {origin.x + u.x * a + v.x * b + w.x * c, origin.y + u.y * a + v.y * b + w.y * c,
            origin.z + u.z * a + v.z * b + w.z * c};
}

void addCylinder(Mesh& mesh, Vec3 base, Axis axis, double radius, double length, int sides) {
    Vec3 u, v, w;
    axisFrame(axis, u, v, w);
    const int step = TURN_STEPS / sides;
    const Vec3 back = {-w.x, -w.y, -w.z};
    const Vec3 top = along(base, u, 0, v, 0, w, length);

    // The round side shares its vertices around the ring.
    const int firstSide = static_cast<int>(mesh.vertices.size());
    for (int i = 0; i < sides; ++i) {
        double c = cosineOfStep(i * step) * radius;
        double s = sineOfStep(i * step) * radius;
        addVertex(mesh, along(base, u, c, v, s, w, 0));
        addVertex(mesh, along(base, u, c, v, s, w, length));
    }
    for (int i = 0; i < sides; ++i) {
        int b0 = firstSide + 2 * i, t0 = b0 + 1;
        int b1 = firstSide + 2 * ((i + 1) % sides), t1 = b1 + 1;
        double c = cosineOfStep(i * step + step / 2);
        double s = sineOfStep(i * step + step / 2);
        Vec3 outward = along({0, 0, 0}, u, c, v, s, w, 0);
        addTriangleFacing(mesh, b0, b1, t1, outward);
        addTriangleFacing(mesh, b0, t1, t0, outward);
    }

    // Each flat cap gets its own ring and centre.
    for (int cap = 0; cap < 2; ++cap) {
        double height = cap == 0 ? 0.0 : length;
        int centre = addVertex(mesh, cap == 0 ? base : top);
        int ring = static_cast<int>(mesh.vertices.size());
        for (int i = 0; i < sides; ++i) {
            addVertex(mesh, along(base, u, cosineOfStep(i * step) * radius, v,
                                  sineOfStep(i * step) * radius, w, height));
        }
        for (int i = 0; i < sides; ++i) {
            addTriangleFacing(mesh, centre, ring + i, ring + (i + 1) % sides, cap == 0 ? back : w);
        }
    }
}

void addSphere(Mesh& mesh, Vec3 centre, double radius, int around, int rings) {
    const int aroundStep = TURN_STEPS / around;
    const int ringStep = TURN_STEPS / 2 / rings;
    const Vec3 up = {0, 1, 0}, down = {0, -1, 0};
    int north = addVertex(mesh, {centre.x, centre.y + radius, centre.z});
    int firstRing = static_cast<int>(mesh.vertices.size());
    for (int r = 1; r < rings; ++r) {
        double y = cosineOfStep(r * ringStep) * radius;
        double ringRadius = sineOfStep(r * ringStep) * radius;
        for (int i = 0; i < around; ++i) {
            addVertex(mesh, {centre.x + cosineOfStep(i * aroundStep) * ringRadius, centre.y + y,
                             centre.z - sineOfStep(i * aroundStep) * ringRadius});
        }
    }
    int south = addVertex(mesh, {centre.x, centre.y - radius, centre.z});

    auto at = [&](int ring, int i) { return firstRing + (ring - 1) * around + i % around; };
    auto outwardOf = [&](int a, int b, int c) {
        const Vec3 &pa = mesh.vertices[a], &pb = mesh.vertices[b], &pc = mesh.vertices[c];
        return Vec3{pa.x + pb.x + pc.x - 3 * centre.x, pa.y + pb.y + pc.y - 3 * centre.y,
                    pa.z + pb.z + pc.z - 3 * centre.z};
    };
    for (int i = 0; i < around; ++i) {
        addTriangleFacing(mesh, north, at(1, i), at(1, i + 1), up);
        addTriangleFacing(mesh, south, at(rings - 1, i), at(rings - 1, i + 1), down);
    }
    for (int r = 1; r + 1 < rings; ++r) {
        for (int i = 0; i < around; ++i) {
            int a = at(r, i), b = at(r, i + 1), c = at(r + 1, i + 1), d = at(r + 1, i);
            addTriangleFacing(mesh, a, b, c, outwardOf(a, b, c));
            addTriangleFacing(mesh, a, c, d, outwardOf(a, c, d));
        }
    }
}

void projectTexCoordsAlongZ(Mesh& mesh, Vec2 low, Vec2 high) {
    mesh.texCoords.clear();
    for (const Vec3& v : mesh.vertices) {
        mesh.texCoords.push_back(
            {(v.x - low.x) / (high.x - low.x), (v.y - low.y) / (high.y - low.y)});
    }
}
