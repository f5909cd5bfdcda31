// .ase models through the program's own reader, the one that reads the
// converted file: whatever the program shows of a model, the converter can
// place. Objects, faces, texture coordinates and materials come through as the
// reader takes them, texture coordinates already multiplied by the tiling.
#pragma once

#include "scene_import.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads the model text `bytes`: ASCII, UTF-8, or UTF-16 with its byte-order
// mark. Pictures are looked for beside the model in `modelFolder` (empty:
// nowhere). False, with one line of reason, when the reader cannot read it,
// it holds no triangles, or a position or texture coordinate that a face uses
// is not a finite number.
bool importAseModel(const uint8_t* bytes, size_t size, const std::string& modelFolder,
                    ImportedModel* imported, std::string* reason);
