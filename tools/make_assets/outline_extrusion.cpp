// Outlines of bars and curved bands, and their extrusion into closed solids.
#include "outline_extrusion.h"

#include <algorithm>
#include <cmath>

#include "mesh_builder.h"

static double loopArea(const Outline& outline, const OutlineLoop& loop) {
    double twiceArea = 0.0;
    size_t n = loop.points.size();
    for (size_t i = 0; i < n; ++i) {
        const Vec2& p = outline.points[loop.points[i]];
        const Vec2& q = outline.points[loop.points[(i + 1) % n]];
        twiceArea += p.x * q.y - q.x * p.y;
    }
    return twiceArea / 2.0;
}

// Outer loops run counter-clockwise and holes clockwise, so the solid always
// lies to the left of the direction of travel.
static void orientLoops(Outline& outline) {
    for (OutlineLoop& loop : outline.loops) {
        bool counterClockwise = loopArea(outline, loop) > 0.0;
        if (counterClockwise == loop.hole) {
            std::reverse(loop.points.begin(), loop.points.end());
            std::reverse(loop.sharp.begin(), loop.sharp.end());
        }
    }
}

Outline quadOutline(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    Outline outline;
    outline.points = {a, b, c, d};
    outline.front = {{0, 1, 2}, {0, 2, 3}};
    outline.loops.push_back({{0, 1, 2, 3}, {true, true, true, true}, false});
    orientLoops(outline);
    return outline;
}

Outline rectOutline(double x0, double y0, double x1, double y1) {
    return quadOutline({x0, y0}, {x1, y0}, {x1, y1}, {x0, y1});
}

Outline bandOutline(const std::vector<Vec2>& sideA, const std::vector<Vec2>& sideB, bool closed) {
    Outline outline;
    const int n = static_cast<int>(std::min(sideA.size(), sideB.size()));
    for (int i = 0; i < n; ++i) {
        outline.points.push_back(sideA[i]);
    }
    for (int i = 0; i < n; ++i) {
        outline.points.push_back(sideB[i]);
    }
    const int cells = closed ? n : n - 1;
    for (int i = 0; i < cells; ++i) {
        int a0 = i, a1 = (i + 1) % n, b0 = n + i, b1 = n + (i + 1) % n;
        outline.front.push_back({a0, a1, b1});
        outline.front.push_back({a0, b1, b0});
    }
    if (closed) {
        OutlineLoop a{{}, std::vector<bool>(n, false), false};
        OutlineLoop b{{}, std::vector<bool>(n, false), false};
        for (int i = 0; i < n; ++i) {
            a.points.push_back(i);
            b.points.push_back(n + i);
        }
        // The loop with the larger area encloses the other one.
        bool aOutside = std::abs(loopArea(outline, a)) > std::abs(loopArea(outline, b));
        (aOutside ? b : a).hole = true;
        outline.loops.push_back(a);
        outline.loops.push_back(b);
    } else {
        OutlineLoop loop;
        loop.hole = false;
        for (int i = 0; i < n; ++i) {
            loop.points.push_back(i);
            loop.sharp.push_back(i == 0 || i == n - 1);
        }
        for (int i = n - 1; i >= 0; --i) {
            loop.points.push_back(n + i);
            loop.sharp.push_back(i == 0 || i == n - 1);
        }
        outline.loops.push_back(loop);
    }
    orientLoops(outline);
    return outline;
}

void extrudeOutline(Mesh& mesh, const Outline& outline, double depth) {
    const double zFront = depth / 2.0, zBack = -depth / 2.0;
    const Vec3 toFront = {0, 0, 1}, toBack = {0, 0, -1};

    const int frontBase = static_cast<int>(mesh.vertices.size());
    for (const Vec2& p : outline.points) {
        addVertex(mesh, {p.x, p.y, zFront});
    }
    const int backBase = static_cast<int>(mesh.vertices.size());
    for (const Vec2& p : outline.points) {
        addVertex(mesh, {p.x, p.y, zBack});
    }
    for (const Triangle& t : outline.front) {
        addTriangleFacing(mesh, frontBase + t.a, frontBase + t.b, frontBase + t.c, toFront);
        addTriangleFacing(mesh, backBase + t.a, backBase + t.b, backBase + t.c, toBack);
    }

    // Side walls: one front/back vertex pair per smooth point, two per sharp one
    // (one ending the wall before it, one starting the wall after it).
    for (const OutlineLoop& loop : outline.loops) {
        const size_t n = loop.points.size();
        std::vector<int> incoming(n), outgoing(n);
        for (size_t i = 0; i < n; ++i) {
            const Vec2& p = outline.points[loop.points[i]];
            incoming[i] = addVertex(mesh, {p.x, p.y, zFront});
            addVertex(mesh, {p.x, p.y, zBack});
            outgoing[i] = incoming[i];
            if (loop.sharp[i]) {
                outgoing[i] = addVertex(mesh, {p.x, p.y, zFront});
                addVertex(mesh, {p.x, p.y, zBack});
            }
        }
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            const Vec2& p = outline.points[loop.points[i]];
            const Vec2& q = outline.points[loop.points[j]];
            // The solid lies to the left of p -> q, so the wall faces right.
            Vec3 outward = {q.y - p.y, p.x - q.x, 0.0};
            int frontP = outgoing[i], backP = outgoing[i] + 1;
            int frontQ = incoming[j], backQ = incoming[j] + 1;
            addTriangleFacing(mesh, frontP, backP, backQ, outward);
            addTriangleFacing(mesh, frontP, backQ, frontQ, outward);
        }
    }
}
