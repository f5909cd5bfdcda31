// The two building textures, 256 x 256 and seamless in both directions: one
// image covers 2 x 2 world units of a wall or a roof and repeats.
#pragma once

#include "bmp_writer.h"

// A plastered facade with two rows of two framed windows.
Image makeWallTexture();

// A gravel roof with tarred seams.
Image makeRoofTexture();
