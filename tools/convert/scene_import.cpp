// The assimp side of the converter. assimp triangulates polygons, turns
// triangles without area into lines and points (which are left out, as assimp
// counts them), bakes non-UV mappings and most texture transforms into texture
// coordinates (see texture_transform.h) and validates the scene; the rest is
// done here: the scene's nodes are walked with their transforms, and within
// each mesh the corners are shared wherever the source gives them the same
// position, normal and texture coordinate, so that the program's reader, which
// averages face normals over shared vertices, shades smooth where the source
// is smooth and keeps hard edges hard. A mesh without normals is faceted: no
// corner is shared.
#include "scene_import.h"

#include "texture_lookup.h"
#include "texture_transform.h"

#include <assimp/cimport.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

const unsigned IMPORT_STEPS = aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                              aiProcess_FindDegenerates | aiProcess_GenUVCoords;

// Nodes beyond this many mean a scene no one would give a figure.
const size_t MAX_NODES = 1000000;

// Picture files larger than this are refused before they are read.
const std::streamoff MAX_PICTURE_FILE = std::streamoff(256) << 20;

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

bool readWholeFile(const std::string& path, std::string* bytes, std::string* reason) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *reason = "cannot open " + path;
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || size > MAX_PICTURE_FILE) {
        *reason = path + " is larger than the converter reads";
        return false;
    }
    bytes->resize(size_t(size));
    in.seekg(0);
    if (size > 0 && !in.read(&(*bytes)[0], size)) {
        *reason = "cannot read " + path;
        return false;
    }
    return true;
}

// The picture a texture reference names, decoded once per source: `known`
// maps each source to its index in imported->pictures.
bool pictureFor(const aiScene& scene, const std::string& reference, const std::string& modelFolder,
                const std::string& materialName, ImportedModel* imported,
                std::map<std::string, int>* known, int* picture, std::string* reason) {
    const std::string what =
        "material \"" + materialName + "\" has a texture \"" + reference + "\"";
    const std::pair<const aiTexture*, int> embedded =
        scene.GetEmbeddedTextureAndIndex(reference.c_str());
    if (!embedded.first && reference[0] == '*') {
        *reason = what + ", but the model holds no such embedded texture";
        return false;
    }
    std::string source;
    if (embedded.first) {
        source = "embedded texture " + std::to_string(embedded.second);
    } else {
        if (!modelFolder.empty())
            source = fs::path(findTextureFile(reference, modelFolder)).lexically_normal().string();
        if (source.empty()) {
            *reason = what + " that is not there (pictures are taken only from the model's "
                             "folder and those below it)";
            return false;
        }
    }
    std::error_code error;
    const std::string identity =
        embedded.first ? source : fs::weakly_canonical(fs::path(source), error).string();
    const auto seen = known->find(identity);
    if (seen != known->end()) {
        *picture = seen->second;
        return true;
    }

    ImportedPicture decoded;
    decoded.origin = source;
    std::string why;
    bool ok;
    if (embedded.first) {
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
            ok = pictureFromBgra(reinterpret_cast<const uint8_t*>(texture.pcData),
                                 int(texture.mWidth), int(texture.mHeight), &decoded.picture, &why);
        }
    } else {
        std::string bytes;
        ok = readWholeFile(source, &bytes, &why) &&
             decodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                           &decoded.picture, &why);
    }
    if (!ok) {
        *reason = what + " (" + source + ") that cannot be used: " + why;
        return false;
    }
    *picture = int(imported->pictures.size());
    known->emplace(identity, *picture);
    imported->pictures.push_back(std::move(decoded));
    return true;
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
    std::map<std::string, int> known;
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
        if (textureOf(source, rule, &reference, &use) &&
            !pictureFor(scene, reference, modelFolder, imported->model.materials.back().name,
                        imported, &known, &picture, reason))
            return false;
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

} // namespace

namespace {

// Reads a scene through `read` with the log watched, then converts it.
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
    const aiScene* scene = read(steps);
    aiDetachLogStream(&stream);
    if (!scene) {
        *reason = aiGetErrorString();
        if (reason->empty())
            *reason = "assimp cannot read it";
        return false;
    }
    bool ok = true;
    if (!log.dataLoss.empty()) {
        *reason = log.dataLoss;
        ok = false;
    } else if (!scene->mRootNode) {
        *reason = "it holds no scene";
        ok = false;
    }
    ok = ok && convertScene(*scene, modelFolder, rule, imported, reason);
    aiReleaseImport(scene);
    if (!ok)
        *imported = ImportedModel();
    return ok;
}

} // namespace

bool importModel(const std::string& path, ImportedModel* imported, std::string* reason) {
    *imported = ImportedModel();
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        *reason = "there is no such file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        *reason = "it is not a regular file";
        return false;
    }
    const fs::path folder = fs::path(path).parent_path();
    return importWith([&](unsigned steps) { return aiImportFile(path.c_str(), steps); },
                      textureTransformRule(path), folder.empty() ? "." : folder.string(), imported,
                      reason);
}

bool importModelFromMemory(const uint8_t* bytes, size_t size, const std::string& extension,
                           ImportedModel* imported, std::string* reason) {
    if (size > UINT32_MAX) {
        *reason = "it is larger than the importer reads from memory";
        return false;
    }
    return importWith(
        [&](unsigned steps) {
            return aiImportFileFromMemory(reinterpret_cast<const char*>(bytes), unsigned(size),
                                          steps, extension.c_str());
        },
        textureTransformRule("model." + extension), "", imported, reason);
}
