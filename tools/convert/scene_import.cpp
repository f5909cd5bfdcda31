// The assimp side of the converter (an .ase file goes to ase_import.h): the
// import with its log watched, the parts without triangles left out before
// assimp validates the scene, then its materials (scene_materials.h) and its
// flattening into triangle objects (scene_flattening.h). assimp triangulates
// polygons, turns triangles without area into lines and points (which are
// left out, as assimp counts them), bakes non-UV mappings and most texture
// transforms into texture coordinates (texture_transform.h) and validates the
// scene.
#include "scene_import.h"

#include "ase_import.h"
#include "scene_flattening.h"
#include "scene_materials.h"

#include "platform/file_bytes.h"

#include <assimp/Importer.hpp>
#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

const unsigned IMPORT_STEPS = aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                              aiProcess_FindDegenerates | aiProcess_GenUVCoords;

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
        names +=
            (names.empty() ? "" : ", and ") + meshLabel(*mesh, i) +
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
                                     std::to_string(lines) + " lines in " + std::to_string(meshes) +
                                     (meshes == 1 ? " mesh" : " meshes") +
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
    std::vector<MaterialUse> uses;
    ok = ok && importMaterials(*scene, modelFolder, rule, imported, &uses, reason) &&
         flattenScene(*scene, uses, imported, reason);
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
