// letterbot-assets convert MODEL OUT.ase [--height H] [--turn DEGREES]: turns a
// model of any format assimp reads into an .ase file the program reads, with
// its textures as bitmaps beside it, placed where the robot stands.
#pragma once

// Takes the arguments after "convert"; returns the exit status: 0 when every
// file is written, 1 when the model cannot be converted (one line on standard
// error says why, and nothing is written), 2 for a usage error.
int convertCommand(int argc, char** argv);
