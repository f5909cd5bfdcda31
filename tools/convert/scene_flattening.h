// A scene's nodes walked with their transforms, each mesh that a node shows
// one triangle object, in node order. Within a mesh the corners are shared
// wherever the source gives them the same position, normal and texture
// coordinate, so that the program's reader, which averages face normals over
// shared vertices, shades smooth where the source is smooth and keeps hard
// edges hard. A mesh without normals is faceted: no corner is shared.
#pragma once

#include "scene_import.h"
#include "texture_transform.h"

#include <cstddef>
#include <string>
#include <vector>

struct aiMesh;
struct aiScene;

// Nodes beyond this many mean a scene no one would give a figure.
const size_t MAX_NODES = 1000000;

// How a material's objects are drawn: with which texture coordinate channel,
// if textured, transformed how.
struct MaterialUse {
    bool textured;
    unsigned channel;
    UvAffine uv;
};

// "mesh N (NAME)", as the reasons name a mesh.
std::string meshLabel(const aiMesh& mesh, unsigned index);

// Adds an object to imported->model for each mesh a node shows, its material
// used as `uses` says. False, with a reason, when the node tree is broken,
// names a mesh or material it lacks, holds a position or texture coordinate
// that is not finite, more than MAX_TRIANGLES or no triangles at all.
bool flattenScene(const aiScene& scene, const std::vector<MaterialUse>& uses,
                  ImportedModel* imported, std::string* reason);
