// How a material's texture transform (offset, tiling, rotation) goes into the
// texture coordinates. assimp's own step (aiProcess_TransformUVCoords) does it
// for most formats; two are done here:
// - .ase files, as the program's reader takes them: it multiplies the
//   coordinates by the tiling and leaves offsets and angles out, so that a
//   converted .ase looks as it did in the program (assimp tiles about the
//   middle of the picture, as 3ds Max does);
// - glTF files, as KHR_texture_transform prescribes. assimp 5.2's glTF reader
//   rewrites the transform for a step that would scale about the corner, but
//   the step scales about the middle, so the pictures come out shifted; the
//   glTF values are recovered from what the reader stored.
#pragma once

#include <assimp/material.h>

#include <string>

enum TextureTransformRule { TRANSFORM_BY_ASSIMP, TRANSFORM_AS_PROGRAM, TRANSFORM_AS_GLTF };

// By the file's extension: .ase, .gltf and .glb have rules of their own.
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
