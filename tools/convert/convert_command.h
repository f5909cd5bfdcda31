// letterbot-assets convert MODEL OUT.ase [--height H] [--turn DEGREES]
// [--memory-limit MIB] [--time-limit SECONDS] [--strict] [--]: turns a model
// into an .ase file the program reads, with its textures as bitmaps beside it,
// placed where the robot stands. The import runs under the limits, apart from
// the converter (import_isolation.h); the files are written as one whole set
// (staged_files.h), one conversion at a time (output_lock.h).
#pragma once

// Takes the arguments after "convert"; returns the exit status: 0 when every
// file is written, 1 when the model cannot be converted (one line on standard
// error says why, and nothing is written), 2 for a usage error.
int convertCommand(int argc, char** argv);
