// The assimp side of the converter (an .ase file goes to ase_import.h). assimp
// triangulates polygons, turns triangles without area into lines and points
// (which are left out, as assimp counts them), bakes non-UV mappings and most
// texture transforms into texture coordinates (see texture_transform.h) and
// validates the scene; the rest is done here: the scene's nodes are walked
// with their transforms, and within each mesh the corners are shared wherever
// the source gives them the same position, normal and texture coordinate, so
// that the program's reader, which averages face normals over shared
// vertices, shades smooth where the source is smooth and keeps hard edges
// hard. A mesh without normals is faceted: no corner is shared.
#include "scene_import.h"

#include "ase_import.h"
#include "picture_sources.h"
#include "texture_transform.h"

#include "platform/file_bytes.h"

#include <assimp/Importer.hpp>
#include <assimp/cimport.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

const unsigned IMPORT_STEPS = aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                              aiProcess_FindDegenerates | aiProcess_GenUVCoords;

// Nodes beyond this many mean a scene no one would give a figure.
const size_t MAX_NODES = 1000000;

// assimp mends some broken files with only a line in its log: it drops faces
// whose indices are out of range or vertices that do not make up a whole
// primitive, and clamps indices that overflow. Such a model would lose part
// of its shape without anyone noticing, so a warning or error that says so
// refuses it. A line about normals or materials alone is no such loss: the
// shape stays whole, and the program computes its own normals and lights
// every figure with its own material.
const char* const DATA_LOSS_WORDS[] = {"out of range",   "out-of-range",   "out of bounds",
                                       "invalid index",  "invalid vertex", "invalid face",
                                       "index overflow", "dropped",        "invalidation detected"};
const char* const SHADING_ONLY_WORDS[] = {"normal", "material"};

struct ImportLog {
    std::string dataLoss; // the first such message, without its prefix
};

bool mentionsAny(const std::string& text, const char* const* words, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (text.find(words[i]) != std::string::npos)
            return true;
    return false;
}

// assimp's log lines read "Warn,  T0: text\n".
void collectLogLine(const char* message, char* user) {
    ImportLog* log = reinterpret_cast<ImportLog*>(user);
    const bool warning = std::strncmp(message, "Warn,", 5) == 0;
    const bool error = std::strncmp(message, "Error,", 6) == 0;
    if (!log || !log->dataLoss.empty() || !(warning || error))
        return;
    std::string text = message;
    const size_t colon = text.find(": ");
    text = colon == std::string::npos ? text : text.substr(colon + 2);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    std::string lower = text;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (mentionsAny(lower, DATA_LOSS_WORDS, std::size(DATA_LOSS_WORDS)) &&
        !mentionsAny(lower, SHADING_ONLY_WORDS, std::size(SHADING_ONLY_WORDS)))
        log->dataLoss = text;
}

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

// How a material's objects are drawn: with which texture coordinate channel,
// if textured, transformed how.
struct MaterialUse {
    bool textured;
    unsigned channel;
    UvAffine uv;
};

std::string meshLabel(const aiMesh& mesh, unsigned index) {
    std::string label = "mesh " + std::to_string(index);
    if (mesh.mName.length > 0)
        label += " (" + std::string(mesh.mName.C_Str()) + ")";
    return label;
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
                    *reason = label + ": its material's texture transform takes the texture "
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

double clamp01(double value) {
    return value > 0.0 ? (value < 1.0 ? value : 1.0) : 0.0; // also not-a-number
}

Vec3 colorOf(const aiMaterial* material, const char* key, unsigned type, unsigned index,
             bool* found) {
    aiColor4D color;
    *found = aiGetMaterialColor(material, key, type, index, &color) == aiReturn_SUCCESS;
    if (!*found)
        return {0, 0, 0};
    return {clamp01(color.r), clamp01(color.g), clamp01(color.b)};
}

Material materialFrom(const aiMaterial* source, unsigned index) {
    Material material;
    aiString name;
    if (aiGetMaterialString(source, AI_MATKEY_NAME, &name) == aiReturn_SUCCESS && name.length > 0)
        material.name = name.C_Str();
    else
        material.name = "Material" + std::to_string(index + 1);
    bool found = false;
    material.diffuse = colorOf(source, AI_MATKEY_COLOR_DIFFUSE, &found);
    if (!found)
        material.diffuse = colorOf(source, AI_MATKEY_BASE_COLOR, &found);
    if (!found)
        material.diffuse = {1, 1, 1};
    material.ambient = colorOf(source, AI_MATKEY_COLOR_AMBIENT, &found);
    material.specular = colorOf(source, AI_MATKEY_COLOR_SPECULAR, &found);
    // The file's shine runs from 0 to 1; GL's highest specular exponent is 128.
    float exponent = 0.0f;
    material.shine = aiGetMaterialFloat(source, AI_MATKEY_SHININESS, &exponent) == aiReturn_SUCCESS
                         ? clamp01(exponent / 128.0)
                         : 0.0;
    return material;
}

// The picture a texture reference names: a texture embedded in the model
// ("*N" or an embedded file's name), else a file beside it. -1, with a
// warning, when it cannot be had.
int pictureFor(const aiScene& scene, const std::string& reference, const std::string& modelFolder,
               const std::string& material, ImportedModel* imported, PictureSources* sources) {
    const std::pair<const aiTexture*, int> embedded =
        scene.GetEmbeddedTextureAndIndex(reference.c_str());
    if (!embedded.first) {
        if (reference[0] != '*')
            return pictureFile(reference, modelFolder, material, imported, sources);
        warnWithoutPicture(imported, material, reference, "which the model does not hold");
        return -1;
    }
    const std::string identity = "embedded texture " + std::to_string(embedded.second);
    const int known = knownPicture(*sources, identity);
    if (known >= 0)
        return known;
    ImportedPicture decoded;
    decoded.origin = identity;
    std::string why;
    bool ok;
    const aiTexture& texture = *embedded.first;
    if (!texture.pcData) {
        ok = false;
        why = "it holds no data";
    } else if (texture.mHeight == 0) {
        ok = decodePicture(reinterpret_cast<const uint8_t*>(texture.pcData), texture.mWidth,
                           &decoded.picture, &why);
    } else if (texture.mWidth > unsigned(MAX_SOURCE_SIDE) ||
               texture.mHeight > unsigned(MAX_SOURCE_SIDE)) {
        ok = false;
        why = "it is larger than the converter reads";
    } else {
        ok = pictureFromBgra(reinterpret_cast<const uint8_t*>(texture.pcData), int(texture.mWidth),
                             int(texture.mHeight), &decoded.picture, &why);
    }
    if (!ok) {
        warnWithoutPicture(imported, material, reference,
                           "which cannot be used (" + identity + ": " + why + ")");
        return -1;
    }
    return addPicture(imported, sources, identity, std::move(decoded));
}

// The base colour texture (glTF and other PBR materials), else the diffuse one,
// with its transform where it is to be applied here.
bool textureOf(const aiMaterial* material, TextureTransformRule rule, std::string* reference,
               MaterialUse* use) {
    for (aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}) {
        aiString path;
        aiTextureMapping mapping = aiTextureMapping_UV;
        unsigned uvIndex = 0;
        if (aiGetMaterialTexture(material, type, 0, &path, &mapping, &uvIndex, nullptr, nullptr,
                                 nullptr, nullptr) == aiReturn_SUCCESS &&
            path.length > 0) {
            *reference = path.C_Str();
            // Mappings that assimp could not bake into coordinates leave the
            // objects without any: they are drawn plain.
            use->channel =
                mapping == aiTextureMapping_UV ? uvIndex : AI_MAX_NUMBER_OF_TEXTURECOORDS;
            aiUVTransform transform;
            if (aiGetMaterialUVTransform(material, AI_MATKEY_UVTRANSFORM(type, 0), &transform) ==
                aiReturn_SUCCESS)
                use->uv = uvAffineFor(rule, transform);
            return true;
        }
    }
    return false;
}

bool convertScene(const aiScene& scene, const std::string& modelFolder, TextureTransformRule rule,
                  ImportedModel* imported, std::string* reason) {
    std::vector<MaterialUse> uses;
    PictureSources sources;
    for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
        const aiMaterial* source = scene.mMaterials ? scene.mMaterials[i] : nullptr;
        if (!source) {
            *reason = "material " + std::to_string(i) + " is missing";
            return false;
        }
        imported->model.materials.push_back(materialFrom(source, i));
        std::string reference;
        MaterialUse use = {false, 0, uvIdentity()};
        int picture = -1;
        if (textureOf(source, rule, &reference, &use))
            picture = pictureFor(scene, reference, modelFolder,
                                 imported->model.materials.back().name, imported, &sources);
        use.textured = picture >= 0;
        imported->materialPicture.push_back(picture);
        uses.push_back(use);
    }

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

// assimp validates a scene as a whole and refuses one that holds an empty
// mesh beside real ones, such as an STL file's empty solid, or a point cloud:
// the meshes without vertices or faces are left out before it validates, with
// a warning. False, with a reason, when nothing else is left. A scene whose
// mesh list is broken is left to the validation to refuse.
bool leaveOutEmptyMeshes(aiScene* scene, ImportedModel* imported, std::string* reason) {
    if (scene->mNumMeshes == 0) {
        *reason = "it holds no triangles";
        return false;
    }
    if (!scene->mMeshes)
        return true;
    std::vector<int> kept(scene->mNumMeshes, -1);
    std::string names;
    unsigned keptCount = 0;
    bool points = false;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        if (!mesh)
            return true;
        if (mesh->mNumVertices > 0 && mesh->mNumFaces > 0) {
            kept[i] = int(keptCount++);
            continue;
        }
        points = points || mesh->mNumVertices > 0;
        names += (names.empty() ? "" : ", and ") + meshLabel(*mesh, i) +
                 (mesh->mNumVertices > 0 ? ", which holds points but no faces" : ", which is empty");
    }
    if (keptCount == scene->mNumMeshes)
        return true;
    if (keptCount == 0) {
        *reason = points ? "it holds no triangles (only points or lines)"
                         : "it holds no triangles (its meshes are empty)";
        return false;
    }
    std::vector<aiNode*> pending = {scene->mRootNode};
    std::unordered_set<const aiNode*> visited;
    while (!pending.empty() && visited.size() <= MAX_NODES) {
        aiNode* node = pending.back();
        pending.pop_back();
        if (!node || !visited.insert(node).second)
            continue;
        if (node->mMeshes) {
            unsigned count = 0;
            for (unsigned k = 0; k < node->mNumMeshes; ++k) {
                const unsigned index = node->mMeshes[k];
                // An index out of range stays so, for the validation to find.
                if (index >= scene->mNumMeshes)
                    node->mMeshes[count++] = index;
                else if (kept[index] >= 0)
                    node->mMeshes[count++] = unsigned(kept[index]);
            }
            node->mNumMeshes = count;
        }
        if (node->mChildren)
            pending.insert(pending.end(), node->mChildren, node->mChildren + node->mNumChildren);
    }
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        if (kept[i] >= 0)
            scene->mMeshes[kept[i]] = scene->mMeshes[i];
        else
            delete scene->mMeshes[i];
    }
    scene->mNumMeshes = keptCount;
    imported->warnings.push_back("left out " + names);
    return true;
}

// The points and lines the model's meshes hold, which the program cannot
// draw, counted as the file gives them (assimp later turns triangles without
// area into such, too, which are left out unsaid).
void warnOfPointsAndLines(const aiScene& scene, ImportedModel* imported) {
    size_t points = 0, lines = 0, meshes = 0;
    for (unsigned i = 0; scene.mMeshes && i < scene.mNumMeshes; ++i) {
        const aiMesh* mesh = scene.mMeshes[i];
        if (!mesh || !mesh->mFaces)
            continue;
        size_t before = points + lines;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            points += mesh->mFaces[f].mNumIndices == 1;
            lines += mesh->mFaces[f].mNumIndices == 2;
        }
        meshes += points + lines > before;
    }
    if (points + lines > 0)
        imported->warnings.push_back("left out " + std::to_string(points) + " points and " +
                                     std::to_string(lines) + " lines in " +
                                     std::to_string(meshes) + (meshes == 1 ? " mesh" : " meshes") +
                                     ", which are no triangles");
}

// Reads a scene through `read` with the log watched, leaves out what has no
// triangles, post-processes and validates it, then converts it.
// `modelFolder` is where external pictures are looked for; empty: nowhere.
template <typename Read>
bool importWith(Read read, TextureTransformRule rule, const std::string& modelFolder,
                ImportedModel* imported, std::string* reason) {
    *imported = ImportedModel();
    ImportLog log;
    aiLogStream stream;
    stream.callback = collectLogLine;
    stream.user = reinterpret_cast<char*>(&log);
    aiAttachLogStream(&stream);
    const unsigned steps =
        IMPORT_STEPS | (rule == TRANSFORM_BY_ASSIMP ? unsigned(aiProcess_TransformUVCoords) : 0u);
    Assimp::Importer importer;
    const aiScene* scene = read(importer);
    bool ok = scene != nullptr;
    if (ok) {
        // The importer hands its scene out read-only, but its own steps change
        // it in place, as this one does before them.
        ok = leaveOutEmptyMeshes(const_cast<aiScene*>(scene), imported, reason);
        if (ok) {
            warnOfPointsAndLines(*scene, imported);
            scene = importer.ApplyPostProcessing(steps);
            if (!scene) {
                ok = false;
                *reason = importer.GetErrorString();
            }
        }
    } else {
        *reason = importer.GetErrorString();
    }
    aiDetachLogStream(&stream);
    if (!ok && reason->empty())
        *reason = "assimp cannot read it";
    if (ok && !log.dataLoss.empty()) {
        *reason = log.dataLoss;
        ok = false;
    } else if (ok && !scene->mRootNode) {
        *reason = "it holds no scene";
        ok = false;
    }
    ok = ok && convertScene(*scene, modelFolder, rule, imported, reason);
    if (!ok)
        *imported = ImportedModel();
    return ok;
}

// Whether the file at `path` can be read, and why not.
bool readable(const std::string& path, std::string* reason) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        *reason = "it cannot be read: " + error.message();
        return false;
    }
    if (!fs::exists(status)) {
        *reason = "there is no such file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        *reason = "it is not a regular file";
        return false;
    }
    std::ifstream probe(path, std::ios::binary);
    if (!probe) {
        *reason = std::string("it cannot be read: ") + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

bool readByProgramReader(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".ase";
}

bool importModel(const std::string& path, ImportedModel* imported, std::string* reason) {
    *imported = ImportedModel();
    if (!readable(path, reason))
        return false;
    const fs::path parent = fs::path(path).parent_path();
    const std::string folder = parent.empty() ? "." : parent.string();
    if (readByProgramReader(path)) {
        FileBytes file;
        if (readFileBytes(path.c_str(), &file) != FILE_BYTES_OK) {
            *reason = std::string("it cannot be read: ") + std::strerror(errno);
            return false;
        }
        const bool ok = importAseModel(file.data, file.size, folder, imported, reason);
        releaseFileBytes(&file);
        return ok;
    }
    return importWith([&](Assimp::Importer& importer) { return importer.ReadFile(path, 0); },
                      textureTransformRule(path), folder, imported, reason);
}

bool importModelFromMemory(const uint8_t* bytes, size_t size, const std::string& extension,
                           ImportedModel* imported, std::string* reason) {
    if (readByProgramReader("model." + extension))
        return importAseModel(bytes, size, "", imported, reason);
    if (size > UINT32_MAX) {
        *reason = "it is larger than the importer reads from memory";
        return false;
    }
    return importWith(
        [&](Assimp::Importer& importer) {
            return importer.ReadFileFromMemory(bytes, size, 0, extension.c_str());
        },
        textureTransformRule("model." + extension), "", imported, reason);
}
