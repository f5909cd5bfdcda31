// The vector operations of the model records, each in single precision.
#include "assets/model.h"

#include <cmath>

tVector3 operator+(const tVector3& a, const tVector3& b) {
    return tVector3(a.x + b.x, a.y + b.y, a.z + b.z);
}

tVector3 operator/(const tVector3& a, float s) {
    return tVector3(a.x / s, a.y / s, a.z / s);
}

tVector3 difference(const tVector3& a, const tVector3& b) {
    return tVector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

tVector3 crossProduct(const tVector3& a, const tVector3& b) {
    return tVector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float vectorLength(const tVector3& a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

tVector3 unitVector(const tVector3& a) {
    return a / vectorLength(a);
}
