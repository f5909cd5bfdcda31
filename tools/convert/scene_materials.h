// A scene's materials as the writers' records: the name and colours of each,
// and the picture of its base colour texture (glTF and other PBR materials),
// else of its diffuse one, with how its objects take their texture
// coordinates.
#pragma once

#include "scene_flattening.h"
#include "texture_transform.h"

#include <string>
#include <vector>

struct aiScene;

// One material in imported->model per source material, in order, each with
// its picture where it can be had (picture_sources.h), and its use in `uses`.
// False, with a reason, when a material the scene counts is missing.
bool importMaterials(const aiScene& scene, const std::string& modelFolder,
                     TextureTransformRule rule, ImportedModel* imported,
                     std::vector<MaterialUse>* uses, std::string* reason);
