// The table holds the first quarter turn; the other three are its mirror images.
#include "angle_table.h"

// sin(k * 3.75 degrees) for k = 0 .. 24, the first quarter turn, to ten places.
static const double QUARTER_SINES[TURN_STEPS / 4 + 1] = {
    0.0000000000, 0.0654031292, 0.1305261922, 0.1950903220, 0.2588190451,
    0.3214394653, 0.3826834324, 0.4422886902, 0.5000000000, 0.5555702330,
    0.6087614290, 0.6593458151, 0.7071067812, 0.7518398075, 0.7933533403,
    0.8314696123, 0.8660254038, 0.8968727415, 0.9238795325, 0.9469301295,
    0.9659258263, 0.9807852804, 0.9914448614, 0.9978589232, 1.0000000000,
};

double sineOfStep(int step) {
    const int quarter = TURN_STEPS / 4;
    int k = step % TURN_STEPS;
    if (k < 0) {
        k += TURN_STEPS;
    }
    if (k <= quarter) {
        return QUARTER_SINES[k];
    }
    if (k <= 2 * quarter) {
        return QUARTER_SINES[2 * quarter - k];
    }
    if (k <= 3 * quarter) {
        return -QUARTER_SINES[k - 2 * quarter];
    }
    return -QUARTER_SINES[TURN_STEPS - k];
}

double cosineOfStep(int step) {
    return sineOfStep(step + TURN_STEPS / 4);
}
