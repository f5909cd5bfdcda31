// The generator's in-memory models: materials and triangle meshes in the
// program's axes (x right, y up, z towards the viewer of the model's front).
#pragma once

#include <string>
#include <vector>

struct Vec2 {
    double x, y;
};

struct Vec3 {
    double x, y, z;
};

// Corners in counter-clockwise order as seen from outside the solid.
struct Triangle {
    int a, b, c;
};

struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<Triangle> faces;
};

struct Material {
    std::string name; // no blanks: readers of the format cut names at the first blank
    Vec3 ambient;
    Vec3 diffuse;
    Vec3 specular;
    double shine;
};

struct MeshObject {
    std::string name;
    int materialIndex;
    Mesh mesh;
};

struct Model {
    std::vector<Material> materials;
    std::vector<MeshObject> objects;
};
