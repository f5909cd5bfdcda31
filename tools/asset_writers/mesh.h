// The models the writers take: materials and triangle meshes in the program's
// axes (x right, y up, z towards the viewer of the model's front).
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

// A textured mesh has texture coordinates (u across, v up, one unit per
// picture before the material's tiling): one per vertex, or corners of their
// own, one texture face per face, where a model gives them apart from the
// positions. An untextured mesh has none.
struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<Triangle> faces;
    std::vector<Vec2> texCoords;
    std::vector<Triangle> texFaces; // empty: texCoords parallel the vertices
};

struct Material {
    std::string name; // written without blanks or quotes (see ase_writer.h)
    Vec3 ambient;
    Vec3 diffuse;
    Vec3 specular;
    double shine;
    std::string bitmap = ""; // the diffuse picture as the program finds it; empty: none
    double uTiling = 1.0;    // repeats of the picture across one unit of u
    double vTiling = 1.0;
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
