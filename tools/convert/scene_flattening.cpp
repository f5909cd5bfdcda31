// The walk of a scene's nodes and the flattening of their meshes.
#include "scene_flattening.h"

#include <assimp/scene.h>

#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

// An affine transform in double precision: point' = m * (x, y, z, 1).
struct Affine {
    double m[3][4];
};

Affine identity() {
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
}

// assimp's matrices are row-major with the translation in the fourth column.
// Their fourth row is (0, 0, 0, 1) for every transform a node can hold.
Affine fromAssimp(const aiMatrix4x4& t) {
    return {{{t.a1, t.a2, t.a3, t.a4}, {t.b1, t.b2, t.b3, t.b4}, {t.c1, t.c2, t.c3, t.c4}}};
}

Affine compose(const Affine& outer, const Affine& inner) {
    Affine r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = j == 3 ? outer.m[i][3] : 0.0;
            for (int k = 0; k < 3; ++k)
                sum += outer.m[i][k] * inner.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

Vec3 apply(const Affine& a, const aiVector3D& p) {
    return {a.m[0][0] * p.x + a.m[0][1] * p.y + a.m[0][2] * p.z + a.m[0][3],
            a.m[1][0] * p.x + a.m[1][1] * p.y + a.m[1][2] * p.z + a.m[1][3],
            a.m[2][0] * p.x + a.m[2][1] * p.y + a.m[2][2] * p.z + a.m[2][3]};
}

double determinant(const Affine& a) {
    const double(*m)[4] = a.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// What decides that two corners of a mesh are one vertex: the bits of the
// source's position, normal (or, without normals, the face) and texture
// coordinate. Adding 0 makes -0 and +0 the same.
struct CornerKey {
    uint32_t bits[8];
    bool operator==(const CornerKey& other) const {
        return std::memcmp(bits, other.bits, sizeof bits) == 0;
    }
};

struct CornerKeyHash {
    size_t operator()(const CornerKey& key) const {
        uint64_t hash = 14695981039346656037ull;
        for (uint32_t word : key.bits)
            hash = (hash ^ word) * 1099511628211ull;
        return size_t(hash);
    }
};

uint32_t floatBits(float value) {
    value += 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// One mesh as one node shows it. The object stays empty when the mesh has no
// triangles.
bool addInstance(const aiMesh& mesh, unsigned meshIndex, const Affine& transform,
                 const MaterialUse& use, MeshObject* object, size_t* triangleTotal,
                 std::string* reason) {
    const std::string label = meshLabel(mesh, meshIndex);
    if (mesh.mNumFaces > 0 && !mesh.mFaces) {
        *reason = label + " has no faces to go with its count";
        return false;
    }
    const bool normals = mesh.mNormals != nullptr;
    const aiVector3D* uv = nullptr;
    if (use.textured && use.channel < AI_MAX_NUMBER_OF_TEXTURECOORDS &&
        mesh.mNumUVComponents[use.channel] >= 2)
        uv = mesh.mTextureCoords[use.channel];
    // A mirroring transform turns the faces' backs to the front.
    const bool mirrored = determinant(transform) < 0.0;

    std::unordered_map<CornerKey, int, CornerKeyHash> vertexOf;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3)
            continue; // points and lines
        if (!face.mIndices) {
            *reason = label + ": face " + std::to_string(f) + " has no indices";
            return false;
        }
        if (++*triangleTotal > MAX_TRIANGLES) {
            *reason = "it has more than " + std::to_string(MAX_TRIANGLES) + " triangles";
            return false;
        }
        int corners[3];
        for (int k = 0; k < 3; ++k) {
            const unsigned i = face.mIndices[k];
            if (i >= mesh.mNumVertices || !mesh.mVertices) {
                *reason = label + ": face " + std::to_string(f) + " names vertex " +
                          std::to_string(i) + " of " + std::to_string(mesh.mNumVertices);
                return false;
            }
            const aiVector3D& p = mesh.mVertices[i];
            if (!finite(p) || (uv && !finite(uv[i]))) {
                *reason = label + ": vertex " + std::to_string(i) +
                          " has a position or texture coordinate that is not a finite number";
                return false;
            }
            CornerKey key = {{floatBits(p.x), floatBits(p.y), floatBits(p.z), 0, 0, 0, 0, 0}};
            if (normals) {
                key.bits[3] = floatBits(mesh.mNormals[i].x);
                key.bits[4] = floatBits(mesh.mNormals[i].y);
                key.bits[5] = floatBits(mesh.mNormals[i].z);
            } else {
                key.bits[3] = f;
            }
            if (uv) {
                key.bits[6] = floatBits(uv[i].x);
                key.bits[7] = floatBits(uv[i].y);
            }
            const auto found = vertexOf.find(key);
            if (found != vertexOf.end()) {
                corners[k] = found->second;
                continue;
            }
            const Vec3 placed = apply(transform, p);
            if (!finite(placed)) {
                *reason = label + ": its node's transform takes vertex " + std::to_string(i) +
                          " beyond the finite numbers";
                return false;
            }
            const int index = int(object->mesh.vertices.size());
            object->mesh.vertices.push_back(placed);
            if (uv) {
                const double(*m)[3] = use.uv.m;
                const Vec2 mapped = {m[0][0] * uv[i].x + m[0][1] * uv[i].y + m[0][2],
                                     m[1][0] * uv[i].x + m[1][1] * uv[i].y + m[1][2]};
                if (!std::isfinite(mapped.x) || !std::isfinite(mapped.y)) {
                    *reason = label +
                              ": its material's texture transform takes the texture "
                              "coordinate of vertex " +
                              std::to_string(i) + " beyond the finite numbers";
                    return false;
                }
                object->mesh.texCoords.push_back(mapped);
            }
            vertexOf.emplace(key, index);
            corners[k] = index;
        }
        object->mesh.faces.push_back(mirrored ? Triangle{corners[0], corners[2], corners[1]}
                                              : Triangle{corners[0], corners[1], corners[2]});
    }
    return true;
}

} // namespace

std::string meshLabel(const aiMesh& mesh, unsigned index) {
    std::string label = "mesh " + std::to_string(index);
    if (mesh.mName.length > 0)
        label += " (" + std::string(mesh.mName.C_Str()) + ")";
    return label;
}

bool flattenScene(const aiScene& scene, const std::vector<MaterialUse>& uses,
                  ImportedModel* imported, std::string* reason) {
    struct Visit {
        const aiNode* node;
        Affine parent;
    };
    std::vector<Visit> pending = {{scene.mRootNode, identity()}};
    size_t visited = 0, triangles = 0;
    while (!pending.empty()) {
        const Visit visit = pending.back();
        pending.pop_back();
        const aiNode* node = visit.node;
        if (!node || ++visited > MAX_NODES) {
            *reason = node ? "its node tree has more than " + std::to_string(MAX_NODES) + " nodes"
                           : "its node tree has a hole";
            return false;
        }
        const Affine transform = compose(visit.parent, fromAssimp(node->mTransformation));
        for (unsigned k = 0; k < node->mNumMeshes; ++k) {
            const unsigned meshIndex = node->mMeshes ? node->mMeshes[k] : scene.mNumMeshes;
            const aiMesh* mesh =
                meshIndex < scene.mNumMeshes && scene.mMeshes ? scene.mMeshes[meshIndex] : nullptr;
            if (!mesh || mesh->mMaterialIndex >= uses.size()) {
                *reason = "node \"" + std::string(node->mName.C_Str()) +
                          "\" names a mesh or material it does not have";
                return false;
            }
            MeshObject object;
            object.name = node->mName.length > 0 ? node->mName.C_Str() : mesh->mName.C_Str();
            if (object.name.empty())
                object.name = "Object" + std::to_string(imported->model.objects.size() + 1);
            object.materialIndex = int(mesh->mMaterialIndex);
            if (!addInstance(*mesh, meshIndex, transform, uses[mesh->mMaterialIndex], &object,
                             &triangles, reason))
                return false;
            if (!object.mesh.faces.empty())
                imported->model.objects.push_back(std::move(object));
        }
        if (node->mNumChildren > 0 && !node->mChildren) {
            *reason = "its node tree has a hole";
            return false;
        }
        for (unsigned k = node->mNumChildren; k-- > 0;)
            pending.push_back({node->mChildren[k], transform});
    }
    if (triangles == 0) {
        *reason = "it holds no triangles";
        if (scene.mNumMeshes > 0)
            *reason += " (only points or lines)";
        return false;
    }
    return true;
}
