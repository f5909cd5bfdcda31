// The generated district of 60 textured buildings on the -z side of the
// robot's working area, recorded once into a display list.
#pragma once

#include <cstdint>

const int BUILDING_COUNT = 60;

// The district's own random source: the classic C library sequence (a linear
// congruential generator starting at 1), so the district is the same on every
// run and on every platform.
struct CityRandom {
    uint32_t state;
    int next(); // 0 to 32767
};

extern CityRandom cityRandom;

// One of 0.00, 0.01, ..., 1.00 from one draw.
float randomFraction();

// Records the 60 buildings; call while the city's display list is open.
void buildCity();

// One building centred at the current origin: half-width a (x), half-height b
// (y), half-depth c (z). Draws its material, a textured roof and three walls.
void drawBuilding(float a, float b, float c);
