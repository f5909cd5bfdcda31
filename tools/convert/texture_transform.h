// How a material's texture transform (offset, tiling, rotation) goes into the
// texture coordinates. assimp's own step (aiProcess_TransformUVCoords) does it
// for most formats; glTF files are done here, as KHR_texture_transform
// prescribes. assimp's glTF reader rewrites the transform for a step that
// would scale about the corner, but the step scales about the middle, so the
// pictures come out shifted; the glTF values are recovered from what the
// reader stored.
#pragma once

#include <assimp/material.h>

#include <string>

enum TextureTransformRule { TRANSFORM_BY_ASSIMP, TRANSFORM_AS_GLTF };

// By the file's extension: .gltf and .glb have a rule of their own.
TextureTransformRule textureTransformRule(const std::string& path);

// u' = m[0][0] u + m[0][1] v + m[0][2] and v' = m[1][0] u + m[1][1] v + m[1][2],
// in assimp's texture space (v up).
struct UvAffine {
    double m[2][3];
};

UvAffine uvIdentity();

// The coordinates' transform for a material's aiUVTransform under `rule`
// (the identity under TRANSFORM_BY_ASSIMP, whose step has applied it).
UvAffine uvAffineFor(TextureTransformRule rule, const aiUVTransform& transform);
