// The pictures in data/: the two building textures, 256 x 256 and seamless in
// both directions (one image covers 2 x 2 world units of a wall or a roof and
// repeats), and the small palette picture on the robot's chest panel.
#pragma once

#include "bmp_writer.h"

// The panel picture's file in data/; the robot's material names it.
constexpr const char* PANEL_TEXTURE_FILE = "robot_panel.bmp";

// A plastered facade with two rows of two framed windows.
Image makeWallTexture();

// A gravel roof with tarred seams.
Image makeRoofTexture();

// 32 x 32, six colours: a framed panel with three lamps, a strip of small
// lights and three vent slots. Tiled across the chest it shows twice.
PaletteImage makePanelTexture();
