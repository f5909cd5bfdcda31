// The letter models: solid extruded capitals, 0.42 wide, 0.5 tall and 0.15
// deep, centred on x = 0 and z = 0, standing on y = -0.5 with their top at
// y = 0, read from +z along +x.
#pragma once

#include "mesh.h"

// The letters the scene needs; false for any other letter.
bool makeLetter(char letter, Model& model);
