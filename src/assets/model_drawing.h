// Draws a loaded model with immediate-mode GL, for recording into a display list.
#pragma once

#include "assets/model.h"

// Every object as one run of triangles: per corner its normal, then its texture
// coordinate (textured objects) or its material's colour, then its position.
// Expects a model filled by AseLoader::load. A model without objects makes no
// GL call.
void drawModel(const tModel* model);
