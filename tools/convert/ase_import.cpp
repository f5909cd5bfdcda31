// The program's reader as the converter's importer for .ase files. Only the
// vertices that faces use are kept, so that no stray point moves the
// placement; the rest keeps the reader's indices, with texture coordinates on
// corners of their own, so that the converted file shades as the original
// does in the program.
#include "ase_import.h"

#include "picture_sources.h"

#include "assets/ase_loader.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

void noTexture(const char*, unsigned* name) {
    *name = 0;
}

void appendUtf8(std::string* text, uint32_t point) {
    if (point < 0x80) {
        *text += char(point);
    } else if (point < 0x800) {
        *text += char(0xc0 | (point >> 6));
        *text += char(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
        *text += char(0xe0 | (point >> 12));
        *text += char(0x80 | ((point >> 6) & 0x3f));
        *text += char(0x80 | (point & 0x3f));
    } else {
        *text += char(0xf0 | (point >> 18));
        *text += char(0x80 | ((point >> 12) & 0x3f));
        *text += char(0x80 | ((point >> 6) & 0x3f));
        *text += char(0x80 | (point & 0x3f));
    }
}

// UTF-16 text after its byte-order mark, as UTF-8. A surrogate without its
// other half, and a last odd byte, become U+FFFD.
std::string utf8FromUtf16(const uint8_t* bytes, size_t size, bool bigEndian) {
    const uint32_t replacement = 0xfffd;
    std::string text;
    text.reserve(size / 2);
    auto unit = [&](size_t at) {
        return bigEndian ? uint32_t(bytes[at]) << 8 | bytes[at + 1]
                         : uint32_t(bytes[at + 1]) << 8 | bytes[at];
    };
    size_t at = 2;
    for (; at + 1 < size; at += 2) {
        const uint32_t first = unit(at);
        if (first < 0xd800 || first > 0xdfff) {
            appendUtf8(&text, first);
        } else if (first <= 0xdbff && at + 3 < size && unit(at + 2) >= 0xdc00 &&
                   unit(at + 2) <= 0xdfff) {
            appendUtf8(&text, 0x10000 + ((first - 0xd800) << 10) + (unit(at + 2) - 0xdc00));
            at += 2;
        } else {
            appendUtf8(&text, replacement);
        }
    }
    if (at < size)
        appendUtf8(&text, replacement);
    return text;
}

double clamp01(float value) {
    return value > 0.0f ? (value < 1.0f ? value : 1.0) : 0.0; // also not-a-number
}

bool inside(int32_t index, size_t count) {
    return index >= 0 && size_t(index) < count;
}

// The values that the faces' corners name, each once, in the order first
// named, and the faces renamed to them. False, with the corner, when one
// names a value that is not a finite number.
template <typename Value, typename Finite>
bool keepNamed(const std::vector<Value>& values, const std::vector<Triangle>& faces,
               std::vector<Value>* kept, std::vector<Triangle>* renamed, Finite finite,
               int* notFinite) {
    std::vector<int> mapped(values.size(), -1);
    renamed->clear();
    for (const Triangle& face : faces) {
        int corners[3] = {face.a, face.b, face.c};
        for (int& corner : corners) {
            const size_t old = size_t(corner);
            if (corner < 0 || old >= values.size()) {
                *notFinite = corner; // the reader keeps no such face
                return false;
            }
            if (mapped[old] < 0) {
                if (!finite(values[old])) {
                    *notFinite = corner;
                    return false;
                }
                mapped[old] = int(kept->size());
                kept->push_back(values[old]);
            }
            corner = mapped[old];
        }
        renamed->push_back({corners[0], corners[1], corners[2]});
    }
    return true;
}

bool convertModel(const tModel& read, const std::string& modelFolder, ImportedModel* imported,
                  std::string* reason) {
    PictureSources sources;
    for (size_t m = 0; m < read.materials.size(); ++m) {
        const tMaterialInfo& source = read.materials[m];
        Material material = {};
        material.name = source.name[0] ? source.name : "Material" + std::to_string(m + 1);
        material.diffuse = {clamp01(source.diffuseColor[0]), clamp01(source.diffuseColor[1]),
                            clamp01(source.diffuseColor[2])};
        int picture = -1;
        if (source.textureFile[0])
            picture =
                pictureFile(source.textureFile, modelFolder, material.name, imported, &sources);
        imported->model.materials.push_back(material);
        imported->materialPicture.push_back(picture);
    }

    size_t triangles = 0;
    int standIn = -1; // the material of objects that name none the file holds
    for (size_t i = 0; i < read.objects.size(); ++i) {
        const t3DObject& source = read.objects[i];
        if (source.faces.empty())
            continue;
        triangles += source.faces.size();
        if (triangles > MAX_TRIANGLES) {
            *reason = "it has more than " + std::to_string(MAX_TRIANGLES) + " triangles";
            return false;
        }
        MeshObject object;
        object.name = "Object" + std::to_string(i + 1);
        if (inside(source.materialIndex, read.materials.size())) {
            object.materialIndex = source.materialIndex;
        } else {
            if (standIn < 0) {
                standIn = int(imported->model.materials.size());
                Material none = {};
                none.name = "Material" + std::to_string(standIn + 1);
                imported->model.materials.push_back(none);
                imported->materialPicture.push_back(-1);
            }
            object.materialIndex = standIn;
        }
        std::vector<Triangle> faces, texFaces;
        for (const tFace& f : source.faces) {
            faces.push_back({f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2]});
            texFaces.push_back({f.texCoordIndex[0], f.texCoordIndex[1], f.texCoordIndex[2]});
        }
        const std::string label = "object " + std::to_string(i + 1);
        std::vector<Vec3> vertices;
        for (const tVector3& v : source.vertices)
            vertices.push_back({v.x, v.y, v.z});
        int notFinite = -1;
        if (!keepNamed(
                vertices, faces, &object.mesh.vertices, &object.mesh.faces,
                [](const Vec3& v) {
                    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
                },
                &notFinite)) {
            *reason = label + ": vertex " + std::to_string(notFinite) +
                      " has a position that is not a finite number";
            return false;
        }
        // A textured object whose picture is not had is drawn plain, as the
        // program draws one whose material names no picture.
        const bool textured =
            source.hasTexture && imported->materialPicture[size_t(object.materialIndex)] >= 0;
        if (textured) {
            std::vector<Vec2> texCoords;
            for (const tVector2& t : source.texCoords)
                texCoords.push_back({t.u, t.v});
            if (!keepNamed(
                    texCoords, texFaces, &object.mesh.texCoords, &object.mesh.texFaces,
                    [](const Vec2& t) { return std::isfinite(t.x) && std::isfinite(t.y); },
                    &notFinite)) {
                *reason = label + ": texture coordinate " + std::to_string(notFinite) +
                          ", with its material's tiling, is not a finite number";
                return false;
            }
        }
        imported->model.objects.push_back(std::move(object));
    }
    if (triangles == 0) {
        *reason = "it holds no triangles";
        return false;
    }
    return true;
}

} // namespace

bool importAseModel(const uint8_t* bytes, size_t size, const std::string& modelFolder,
                    ImportedModel* imported, std::string* reason) {
    *imported = ImportedModel();
    std::string converted;
    const char* text = reinterpret_cast<const char*>(bytes);
    if (size >= 2 &&
        ((bytes[0] == 0xff && bytes[1] == 0xfe) || (bytes[0] == 0xfe && bytes[1] == 0xff))) {
        converted = utf8FromUtf16(bytes, size, bytes[0] == 0xfe);
        text = converted.data();
        size = converted.size();
    }
    AseLoader reader(noTexture);
    tModel read;
    if (!reader.loadFromMemory(&read, text, size)) {
        *reason = "the program's reader cannot read it (its lines do not make a model)";
        return false;
    }
    if (!convertModel(read, modelFolder, imported, reason)) {
        *imported = ImportedModel();
        return false;
    }
    return true;
}
