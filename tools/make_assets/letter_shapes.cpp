// Letter outlines built from straight bars and elliptic bands, then extruded.
#include "letter_shapes.h"

#include <string>

#include "angle_table.h"
#include "outline_extrusion.h"

static const double HALF_WIDTH = 0.21;
static const double TOP = 0.0;
static const double BOTTOM = -0.5;
static const double DEPTH = 0.15;
static const double STROKE = 0.085; // thickness of upright and level strokes
static const double SLANT = 0.11;   // horizontal width of slanted strokes
static const int CURVE_STEP = 2;    // 7.5 degrees: 24 segments per half circle

// Points on the ellipse around (cx, cy) with radii (rx, ry), from angle step
// `from` to `to` inclusive, in angle steps of CURVE_STEP.
static std::vector<Vec2> arc(double cx, double cy, double rx, double ry, int from, int to) {
    std::vector<Vec2> points;
    int step = to >= from ? CURVE_STEP : -CURVE_STEP;
    for (int k = from;; k += step) {
        points.push_back({cx + rx * cosineOfStep(k), cy + ry * sineOfStep(k)});
        if (k == to) {
            break;
        }
    }
    return points;
}

static void append(std::vector<Vec2>& to, const std::vector<Vec2>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// A slanted stroke with level ends: its bottom edge starts at (bottomX, bottomY),
// its top edge at (topX, topY), both `width` wide to the right.
static Outline slantOutline(double bottomX, double bottomY, double topX, double topY,
                            double width) {
    return quadOutline({bottomX, bottomY}, {bottomX + width, bottomY}, {topX + width, topY},
                       {topX, topY});
}

static std::vector<Outline> letterD() {
    const double left = -HALF_WIDTH, stem = left + STROKE;
    const double rx = 0.22, ry = 0.25, cx = HALF_WIDTH - rx, cy = -0.25;
    // Top bar, the bowl and the bottom bar as one band, so the curve shades
    // smoothly into the straight parts.
    std::vector<Vec2> outer = {{stem, TOP}};
    append(outer, arc(cx, cy, rx, ry, TURN_STEPS / 4, -TURN_STEPS / 4));
    outer.push_back({stem, BOTTOM});
    std::vector<Vec2> inner = {{stem, TOP - STROKE}};
    append(inner, arc(cx, cy, rx - STROKE, ry - STROKE, TURN_STEPS / 4, -TURN_STEPS / 4));
    inner.push_back({stem, BOTTOM + STROKE});
    return {rectOutline(left, BOTTOM, stem, TOP), bandOutline(outer, inner, false)};
}

static std::vector<Outline> letterO() {
    const double rx = HALF_WIDTH, ry = 0.25, cy = -0.25;
    std::vector<Vec2> outer = arc(0, cy, rx, ry, 0, TURN_STEPS - CURVE_STEP);
    std::vector<Vec2> inner = arc(0, cy, rx - STROKE, ry - STROKE, 0, TURN_STEPS - CURVE_STEP);
    return {bandOutline(outer, inner, true)};
}

static std::vector<Outline> letterU() {
    const double r = HALF_WIDTH, cy = BOTTOM + r;
    // Left stem, the bowl and the right stem as one band.
    std::vector<Vec2> outer = {{-r, TOP}};
    append(outer, arc(0, cy, r, r, TURN_STEPS / 2, TURN_STEPS));
    outer.push_back({r, TOP});
    std::vector<Vec2> inner = {{-r + STROKE, TOP}};
    append(inner, arc(0, cy, r - STROKE, r - STROKE, TURN_STEPS / 2, TURN_STEPS));
    inner.push_back({r - STROKE, TOP});
    return {bandOutline(outer, inner, false)};
}

static std::vector<Outline> letterS() {
    // Two bowls meeting in the middle stroke; the upper bowl's outer edge runs
    // on as the lower bowl's inner edge, so one band makes the whole S.
    const double middle = (TOP + BOTTOM) / 2.0;
    const double ry = (TOP - (middle - STROKE / 2.0)) / 2.0;
    const double upperY = TOP - ry, lowerY = BOTTOM + ry;
    const double upperRx = 0.195, lowerRx = HALF_WIDTH;
    const int upperEnd = 8, lowerEnd = -40; // 30 and 210 degrees
    std::vector<Vec2> sideA = arc(0, upperY, upperRx, ry, upperEnd, 3 * TURN_STEPS / 4);
    std::vector<Vec2> sideB =
        arc(0, upperY, upperRx - STROKE, ry - STROKE, upperEnd, 3 * TURN_STEPS / 4);
    std::vector<Vec2> lowerInner =
        arc(0, lowerY, lowerRx - STROKE, ry - STROKE, TURN_STEPS / 4, lowerEnd);
    std::vector<Vec2> lowerOuter = arc(0, lowerY, lowerRx, ry, TURN_STEPS / 4, lowerEnd);
    sideA.insert(sideA.end(), lowerInner.begin() + 1, lowerInner.end());
    sideB.insert(sideB.end(), lowerOuter.begin() + 1, lowerOuter.end());
    return {bandOutline(sideA, sideB, false)};
}

static std::vector<Outline> letterM() {
    const double left = -HALF_WIDTH, right = HALF_WIDTH, vertexY = -0.34;
    return {rectOutline(left, BOTTOM, left + STROKE, TOP),
            rectOutline(right - STROKE, BOTTOM, right, TOP),
            slantOutline(-SLANT / 2.0, vertexY, left, TOP, SLANT),
            slantOutline(-SLANT / 2.0, vertexY, right - SLANT, TOP, SLANT)};
}

static std::vector<Outline> letterN() {
    const double left = -HALF_WIDTH, right = HALF_WIDTH;
    return {rectOutline(left, BOTTOM, left + STROKE, TOP),
            rectOutline(right - STROKE, BOTTOM, right, TOP),
            slantOutline(right - SLANT, BOTTOM, left, TOP, SLANT)};
}

static std::vector<Outline> letterK() {
    const double left = -HALF_WIDTH, right = HALF_WIDTH, stem = left + STROKE;
    // The arm rises from inside the stem to the top right corner; its lower
    // edge meets the stem at armFootY.
    const double armStartX = stem - 0.03, armFootY = -0.40;
    const double slope = (TOP - armFootY) / (right - armStartX);
    const double armTopY = TOP - slope * (right - SLANT - armStartX);
    // The leg leaves the arm at legStartY and runs down to the bottom right.
    const double legStartY = -0.22;
    const double legStartX = right - SLANT + (legStartY - TOP) / slope;
    return {rectOutline(left, BOTTOM, stem, TOP),
            quadOutline({armStartX, armFootY}, {right, TOP}, {right - SLANT, TOP},
                        {armStartX, armTopY}),
            slantOutline(right - SLANT, BOTTOM, legStartX, legStartY, SLANT)};
}

static std::vector<Outline> letterT() {
    return {rectOutline(-HALF_WIDTH, TOP - STROKE, HALF_WIDTH, TOP),
            rectOutline(-STROKE / 2.0, BOTTOM, STROKE / 2.0, TOP - STROKE)};
}

static std::vector<Outline> letterY() {
    const double forkY = -0.25, half = STROKE / 2.0;
    return {
        rectOutline(-half, BOTTOM, half, forkY),
        quadOutline({-half, forkY}, {half, forkY}, {-HALF_WIDTH + SLANT, TOP}, {-HALF_WIDTH, TOP}),
        quadOutline({-half, forkY}, {half, forkY}, {HALF_WIDTH, TOP}, {HALF_WIDTH - SLANT, TOP})};
}

bool makeLetter(char letter, Model& model) {
    std::vector<Outline> outlines;
    switch (letter) {
    case 'D':
        outlines = letterD();
        break;
    case 'O':
        outlines = letterO();
        break;
    case 'M':
        outlines = letterM();
        break;
    case 'U':
        outlines = letterU();
        break;
    case 'S':
        outlines = letterS();
        break;
    case 'K':
        outlines = letterK();
        break;
    case 'N':
        outlines = letterN();
        break;
    case 'T':
        outlines = letterT();
        break;
    case 'Y':
        outlines = letterY();
        break;
    default:
        return false;
    }
    std::string name(1, letter);
    model = Model{};
    model.materials.push_back(
        {"Letter_" + name, {0.55, 0.08, 0.06}, {0.85, 0.12, 0.10}, {0.60, 0.60, 0.60}, 0.25});
    MeshObject object{"Letter_" + name, 0, {}};
    for (const Outline& outline : outlines) {
        extrudeOutline(object.mesh, outline, DEPTH);
    }
    model.objects.push_back(object);
    return true;
}
