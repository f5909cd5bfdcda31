// Reads a model file of any format assimp reads into the writers' records: the
// scene flattened into one triangle object per mesh and node that shows it, in
// node order, with the node transforms applied (assimp's axes are the
// program's: y up, a model's front towards +z), at the source's size; and one
// material per source material with the picture of its base colour or diffuse
// texture, decoded.
#pragma once

#include "mesh.h"
#include "picture_decoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// More than this many triangles in all is refused: the program's reader
// rescans and its display list copies every one of them at start-up.
constexpr size_t MAX_TRIANGLES = 2000000;

struct ImportedPicture {
    Picture picture;
    std::string origin; // the file it was read from, or "embedded texture N"
};

struct ImportedModel {
    Model model;                           // materials without bitmap paths yet
    std::vector<int> materialPicture;      // per material: index into pictures, or -1
    std::vector<ImportedPicture> pictures; // each source picture once
    std::vector<std::string> warnings;     // one line each: what the figure goes without
};

// Reads `path`: an .ase file with the program's own reader (ase_import.h),
// any other with assimp. External pictures are looked for as findTextureFile
// says. A picture that is not there or cannot be decoded leaves its material
// plain, and parts without triangles (empty meshes, points, lines) are left
// out, each with a warning. False, with one line of reason (assimp's own where
// it gives one), when the file cannot be read, refers to a buffer that is
// missing, holds no triangles, has counts or indices out of range (also where
// assimp mends them with a warning), or positions or texture coordinates that
// are not finite.
bool importModel(const std::string& path, ImportedModel* imported, std::string* reason);

// The same for a model held in memory, of the format its file name
// `extension` ("glb", "obj", ...) names. Only embedded pictures can be used:
// it has no folder to look for others in.
bool importModelFromMemory(const uint8_t* bytes, size_t size, const std::string& extension,
                           ImportedModel* imported, std::string* reason);

// Whether the converter reads a file of this name with the program's own
// reader: an .ase file, in any case.
bool readByProgramReader(const std::string& path);
