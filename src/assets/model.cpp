// The vector operations of the model records that are not inline, each in
// single precision.
#include "assets/model.h"

#include <cmath>

tVector3 operator/(const tVector3& a, float s) {
    return tVector3(a.x / s, a.y / s, a.z / s);
}

float vectorLength(const tVector3& a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

tVector3 unitVector(const tVector3& a) {
    return a / vectorLength(a);
}
