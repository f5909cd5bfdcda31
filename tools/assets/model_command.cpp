// letterbot-assets model: reads a model with the program's own reader (without
// creating textures) and prints what it found as one JSON object: materials,
// whether each named image exists and decodes, and per object its counts,
// bounding box and a checksum of its geometry.
#include "commands.h"

#include "platform/platform.h"
#include "assets/ase_loader.h"
#include "assets/bmp_reader.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Bytes outside printable ASCII are escaped, so the output is JSON whatever the
// file holds.
static void printJsonString(const char* text) {
    std::putchar('"');
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '"' || *p == '\\')
            std::printf("\\%c", *p);
        else if (*p < 0x20 || *p >= 0x7f)
            std::printf("\\u%04x", *p);
        else
            std::putchar(*p);
    }
    std::putchar('"');
}

// JSON has no not-a-number or infinity.
static void printNumber(float value) {
    if (std::isfinite(value))
        std::printf("%.9g", double(value));
    else
        std::fputs("null", stdout);
}

static void printTriple(const float* values) {
    std::putchar('[');
    for (int i = 0; i < 3; ++i) {
        if (i)
            std::fputs(", ", stdout);
        printNumber(values[i]);
    }
    std::putchar(']');
}

static void noTexture(const char*, unsigned* name) {
    *name = 0;
}

// "missing", "unreadable" (not a bitmap the program can decode) or "ok".
static const char* imageState(const char* path) {
    std::FILE* file = std::fopen(assetPathToLocal(path).c_str(), "rb");
    if (!file)
        return "missing";
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    BitmapFailure failure = BITMAP_OK;
    ImageRGB* image = decodeBitmap(bytes.data(), bytes.size(), &failure);
    if (!image)
        return "unreadable";
    freeImage(image);
    return "ok";
}

// FNV-1a over the bits of every position, normal and texture coordinate.
static uint64_t geometryChecksum(const t3DObject& object) {
    uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](const void* data, size_t size) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ p[i]) * 1099511628211ull;
    };
    if (!object.vertices.empty())
        add(object.vertices.data(), object.vertices.size() * sizeof(tVector3));
    if (!object.normals.empty())
        add(object.normals.data(), object.normals.size() * sizeof(tVector3));
    if (!object.texCoords.empty())
        add(object.texCoords.data(), object.texCoords.size() * sizeof(tVector2));
    return hash;
}

static void printBoundingBox(const t3DObject& object) {
    if (object.vertices.empty()) {
        std::fputs("null", stdout);
        return;
    }
    float low[3] = {object.vertices[0].x, object.vertices[0].y, object.vertices[0].z};
    float high[3] = {low[0], low[1], low[2]};
    for (const tVector3& v : object.vertices) {
        const float p[3] = {v.x, v.y, v.z};
        for (int i = 0; i < 3; ++i) {
            low[i] = std::fmin(low[i], p[i]);
            high[i] = std::fmax(high[i], p[i]);
        }
    }
    std::fputs("{\"min\": ", stdout);
    printTriple(low);
    std::fputs(", \"max\": ", stdout);
    printTriple(high);
    std::putchar('}');
}

int modelCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: letterbot-assets model FILE\n", stderr);
        return 2;
    }
    const char* path = argv[0];
    AseLoader loader(noTexture);
    tModel model;
    if (!loader.load(&model, path))
        return 1; // the reader has said which file

    std::fputs("{\n  \"file\": ", stdout);
    printJsonString(path);
    std::printf(",\n  \"materialCount\": %d,\n  \"materials\": [", model.materialCount);
    for (size_t i = 0; i < model.materials.size(); ++i) {
        const tMaterialInfo& m = model.materials[i];
        std::fputs(i ? ",\n    {" : "\n    {", stdout);
        std::fputs("\"name\": ", stdout);
        printJsonString(m.name);
        std::fputs(", \"textureFile\": ", stdout);
        printJsonString(m.textureFile);
        if (m.textureFile[0] != '\0')
            std::printf(", \"texture\": \"%s\"", imageState(m.textureFile));
        std::fputs(", \"diffuseColor\": ", stdout);
        printTriple(m.diffuseColor);
        std::printf(", \"color\": [%u, %u, %u]", m.color[0], m.color[1], m.color[2]);
        std::fputs(", \"uTiling\": ", stdout);
        printNumber(m.uTiling);
        std::fputs(", \"vTiling\": ", stdout);
        printNumber(m.vTiling);
        std::putchar('}');
    }
    std::printf("%s],\n  \"objectCount\": %d,\n  \"objects\": [",
                model.materials.empty() ? "" : "\n  ", model.objectCount);
    for (size_t i = 0; i < model.objects.size(); ++i) {
        const t3DObject& o = model.objects[i];
        std::fputs(i ? ",\n    {" : "\n    {", stdout);
        std::printf("\"vertexCount\": %d, \"faceCount\": %d, \"texCoordCount\": %d, "
                    "\"materialIndex\": %d, \"hasMaterial\": %s, \"hasTexture\": %s, "
                    "\"boundingBox\": ",
                    o.vertexCount, o.faceCount, o.texCoordCount, o.materialIndex,
                    o.materialIndex >= 0 && size_t(o.materialIndex) < model.materials.size()
                        ? "true"
                        : "false",
                    o.hasTexture ? "true" : "false");
        printBoundingBox(o);
        std::printf(", \"checksum\": \"%016llx\"}", (unsigned long long)geometryChecksum(o));
    }
    std::printf("%s]\n}\n", model.objects.empty() ? "" : "\n  ");
    return 0;
}
