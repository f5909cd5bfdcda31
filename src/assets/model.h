// The in-memory form of a loaded model and the few vector operations the
// normal computation needs.
#pragma once

#include <cstdint>

// A point or direction; y is up in the program's world.
struct tVector3 {
    float x, y, z;
    tVector3() {}
    tVector3(float x, float y, float z) : x(x), y(y), z(z) {}
};

struct tVector2 {
    float u, v; // already multiplied by the material's tiling
};

tVector3 operator+(const tVector3& a, const tVector3& b);
tVector3 operator/(const tVector3& a, float s);
tVector3 difference(const tVector3& a, const tVector3& b);
tVector3 crossProduct(const tVector3& a, const tVector3& b);
float vectorLength(const tVector3& a);
tVector3 unitVector(const tVector3& a);
