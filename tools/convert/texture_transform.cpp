// The glTF transform recovered from what assimp stored, as a 2 x 3 matrix.
#include "texture_transform.h"

#include <cctype>
#include <cmath>
#include <filesystem>

TextureTransformRule textureTransformRule(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".gltf" || extension == ".glb")
        return TRANSFORM_AS_GLTF;
    return TRANSFORM_BY_ASSIMP;
}

UvAffine uvIdentity() {
    return {{{1, 0, 0}, {0, 1, 0}}};
}

UvAffine uvAffineFor(TextureTransformRule rule, const aiUVTransform& t) {
    if (rule != TRANSFORM_AS_GLTF)
        return uvIdentity();

    // The glTF reader stores the extension's rotation r negated, its scale as
    // it is, and its offset (ox, oy) folded into mTranslation:
    //   tx = sx / 2 (1 - cos r + sin r) + ox
    //   ty = sy / 2 (sin r + cos r - 1) + 1 - sy - oy
    const double sx = t.mScaling.x, sy = t.mScaling.y, r = -t.mRotation;
    const double c = std::cos(r), s = std::sin(r);
    const double ox = t.mTranslation.x - sx / 2 * (1 - c + s);
    const double oy = sy / 2 * (s + c - 1) + 1 - sy - t.mTranslation.y;
    // The extension's uv' = offset + rotation * scale * uv, with rotation
    // (cos r, sin r; -sin r, cos r), holds in glTF's texture space, whose v
    // runs down: assimp's v is 1 - v there.
    return {{{c * sx, -s * sy, s * sy + ox}, {s * sx, c * sy, 1 - c * sy - oy}}};
}
