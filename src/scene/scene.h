// The scene's display lists and textures, built once at start-up, and the frame.
#pragma once

#include <cstdint>

extern const int robotList; // robot material and model
extern const int cityList;  // the generated district
// Letter block k draws list k + 2.

extern uint32_t windowTexture;
extern uint32_t roofTexture;

void buildScene();
void drawFrame();
