// Writes a model in the ASCII scene export layout: tab-indented blocks, numbers
// with four decimals, face lines with padded numbers and edge flags. Names are
// cut to 48 characters, with blanks, quotes and other bytes some readers
// cannot hold turned into underscores; a material's bitmap path is written as
// it is, so it must hold no double quote or line end.
#pragma once

#include <string>

#include "mesh.h"

// The file text, with `comment` (no quotes) saying what wrote it. Program axes
// are turned into the file's: a point (x, y, z) is written as (x, -z, y), so
// the file's third axis is up.
std::string aseText(const Model& model, const std::string& comment = "letterbot make_assets");

// Four decimals, rounded half away from zero, never "-0.0000"; the same on
// every platform because it uses integer arithmetic only after rounding.
std::string fixed4(double value);
