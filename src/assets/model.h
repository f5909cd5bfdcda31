// The in-memory form of a loaded model and the few vector operations the
// normal computation needs.
#pragma once

#include <cstdint>
#include <vector>

// A point or direction; y is up in the program's world.
struct tVector3 {
    float x, y, z;
    tVector3() {}
    tVector3(float x, float y, float z) : x(x), y(y), z(z) {}
};

struct tVector2 {
    float u, v; // already multiplied by the material's tiling
};

// One triangle. Corners A, B, C in the order the file gives them.
struct tFace {
    int32_t vertexIndex[3];   // into vertices and normals
    int32_t texCoordIndex[3]; // into texCoords
};

// A new material is all zero: empty strings, black, no texture, no tiling.
struct tMaterialInfo {
    char name[255];        // NUL-terminated, at most 254 characters
    char textureFile[255]; // image path as the file gives it; empty: no texture
    uint8_t color[3];      // the drawing colour of untextured faces, from diffuseColor
    float diffuseColor[3];
    uint32_t textureId; // GL texture name once the texture loader has run; 0 otherwise
    float uTiling;      // 0 when the file gives none
    float vTiling;
};

// One mesh object. After a load, every array has exactly its count of entries
// (texCoords may be empty), every vertexIndex lies inside vertices, and in an
// object with hasTexture every texCoordIndex lies inside texCoords.
struct t3DObject {
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t texCoordCount = 0;
    int32_t materialIndex = 0; // may name no material: then the object has none
    bool hasTexture = false;   // the file gave at least one texture coordinate
    std::vector<tVector3> vertices;
    std::vector<tVector3> normals; // unit length, one per vertex
    std::vector<tVector2> texCoords;
    std::vector<tFace> faces;
};

struct tModel {
    int32_t objectCount = 0;
    int32_t materialCount = 0;
    std::vector<tMaterialInfo> materials; // objects refer to materials by position
    std::vector<t3DObject> objects;
};

// The normal computation calls these three for every face: inline.
inline tVector3 operator+(const tVector3& a, const tVector3& b) {
    return tVector3(a.x + b.x, a.y + b.y, a.z + b.z);
}
inline tVector3 difference(const tVector3& a, const tVector3& b) {
    return tVector3(a.x - b.x, a.y - b.y, a.z - b.z);
}
inline tVector3 crossProduct(const tVector3& a, const tVector3& b) {
    return tVector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

tVector3 operator/(const tVector3& a, float s); // no guard against s = 0
float vectorLength(const tVector3& a);
tVector3 unitVector(const tVector3& a); // not-a-number components for a zero vector
