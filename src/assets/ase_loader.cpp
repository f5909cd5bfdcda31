// The .ase reader, in the way of a careful decoder: the file is read once into
// memory; the counts it declares are proven against its size before anything
// is allocated; then one walk over its lines (ase_walk.h) finds every material
// and object, its data lines are kept until the object's counts are known,
// and each object is allocated and filled, its lines applied in file order.
#include "assets/ase_loader.h"

#include "platform/platform.h"
#include "platform/file_bytes.h"
#include "assets/ase_walk.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

AseLoader::AseLoader(TextureLoaderFunction loader) : textureLoader(loader) {}

static uint8_t colorByte(float component) {
    const float scaled = component * 255.0f;
    if (!(scaled > 0.0f)) // also not-a-number
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return uint8_t(std::lround(scaled));
}

// A count is refused when it is negative or when the file cannot hold that many
// more lines of the kind, each needing its keyword and a separator; `budget` is
// what all the objects of the file may still declare.
static int32_t acceptCount(int32_t count, size_t& budget) {
    if (count <= 0 || size_t(count) > budget)
        return 0;
    budget -= size_t(count);
    return count;
}

static bool inside(int32_t index, int32_t count) {
    return index >= 0 && index < count;
}

struct CountBudget {
    size_t vertices, faces, texCoords;
};

// Gives the object its arrays at its declared counts and applies its data
// lines to them in file order.
static void buildObject(const std::vector<DataLine>& lines,
                        const std::vector<tMaterialInfo>& materials, CountBudget& budget,
                        t3DObject* object) {
    object->vertexCount = acceptCount(object->vertexCount, budget.vertices);
    object->faceCount = acceptCount(object->faceCount, budget.faces);
    object->texCoordCount = acceptCount(object->texCoordCount, budget.texCoords);
    object->vertices.assign(size_t(object->vertexCount), tVector3(0, 0, 0));
    object->faces.assign(size_t(object->faceCount), tFace{});
    object->texCoords.assign(size_t(object->texCoordCount), tVector2{});

    // An object without its material tiles like a material without tiling.
    float uTiling = 0.0f, vTiling = 0.0f;
    if (inside(object->materialIndex, int32_t(materials.size()))) {
        uTiling = materials[size_t(object->materialIndex)].uTiling;
        vTiling = materials[size_t(object->materialIndex)].vTiling;
    }
    for (const DataLine& line : lines) {
        switch (line.kind) {
        case SCAN_VERTEX: {
            if (!inside(line.index, object->vertexCount))
                break;
            // The file's third axis is the program's up axis: (X, Y, Z) becomes (X, Z, -Y).
            tVector3& v = object->vertices[size_t(line.index)];
            if (line.read & 1)
                v.x = line.value.f[0];
            if (line.read & 2)
                v.z = line.value.f[1];
            if (line.read & 4)
                v.y = line.value.f[2];
            v.z = -v.z;
            break;
        }
        case SCAN_TVERT: {
            if (!inside(line.index, object->texCoordCount))
                break;
            tVector2& t = object->texCoords[size_t(line.index)];
            if (line.read & 1)
                t.u = line.value.f[0];
            if (line.read & 2)
                t.v = line.value.f[1];
            t.u *= uTiling;
            t.v *= vTiling;
            object->hasTexture = true;
            break;
        }
        default: {
            if (!inside(line.index, object->faceCount))
                break;
            tFace& f = object->faces[size_t(line.index)];
            int32_t* corners = line.kind == SCAN_FACE ? f.vertexIndex : f.texCoordIndex;
            for (int k = 0; k < 3; ++k)
                if (line.read & (1u << k))
                    corners[k] = line.value.i[k];
            break;
        }
        }
    }

    // Drawing trusts every index it follows, so faces that name a missing
    // vertex or texture coordinate go.
    size_t kept = 0;
    for (const tFace& f : object->faces) {
        bool usable = true;
        for (int k = 0; k < 3; ++k) {
            usable = usable && inside(f.vertexIndex[k], object->vertexCount);
            if (object->hasTexture)
                usable = usable && inside(f.texCoordIndex[k], object->texCoordCount);
        }
        if (usable)
            object->faces[kept++] = f;
    }
    object->faces.resize(kept);
    object->faceCount = int32_t(kept);
}

// Each vertex gets the unit vector of minus the sum of the (area-weighted)
// normals of the faces that use it, each face once, added in face order. The
// sums are made in the normals array itself.
static void computeVertexNormals(t3DObject* object) {
    const size_t vertexCount = size_t(object->vertexCount);
    std::vector<tVector3>& sums = object->normals;
    sums.assign(vertexCount, tVector3(0, 0, 0));
    std::vector<int32_t> counts(vertexCount, 0);
    for (const tFace& f : object->faces) {
        const tVector3 vPoly[3] = {object->vertices[size_t(f.vertexIndex[0])],
                                   object->vertices[size_t(f.vertexIndex[1])],
                                   object->vertices[size_t(f.vertexIndex[2])]};
        const tVector3 vVector1 = difference(vPoly[0], vPoly[2]);
        const tVector3 vVector2 = difference(vPoly[2], vPoly[1]);
        const tVector3 vNormal = crossProduct(vVector1, vVector2);
        for (int k = 0; k < 3; ++k) {
            const int32_t v = f.vertexIndex[k];
            if ((k > 0 && v == f.vertexIndex[0]) || (k > 1 && v == f.vertexIndex[1]))
                continue;
            sums[size_t(v)] = sums[size_t(v)] + vNormal;
            ++counts[size_t(v)];
        }
    }
    for (size_t v = 0; v < vertexCount; ++v) {
        tVector3 n = unitVector(sums[v] / float(-counts[v]));
        // A zero sum (or one no float can hold) has no direction: point up.
        if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z))
            n = tVector3(0, 1, 0);
        object->normals[v] = n;
    }
}

// Tidy files, real or generated, need about ten units of walking work per
// byte; a file that needs more than this is treated as unreadable.
static size_t walkBudget(size_t size) {
    const size_t perByte = 64;
    const size_t smallest = size_t(1) << 20;
    return size > (SIZE_MAX - smallest) / perByte ? SIZE_MAX : smallest + perByte * size;
}

// How many materials the model may hold. An exporter's material block takes
// about 450 bytes of the file, far more than the 256 that each allowed
// material needs; a count that the file's size cannot pay for costs at most
// about twice the size, a record being a little over twice 256 bytes.
static_assert(sizeof(tMaterialInfo) < 3 * 256, "the allowance's cost is about twice the size");
static size_t materialAllowance(size_t size) {
    return 1024 + size / 256;
}

// How many objects a file can hold at most: the "*GEOMOBJECT" tokens that
// stand anywhere, each a whole token (up to a NUL byte, as keywords are
// compared). The ones the object scan meets are among them, and each takes
// twelve bytes of the file. They are found by their 'J', a letter that model
// files otherwise hardly use.
static size_t mostObjects(const char* text, const char* end) {
    static const char keyword[] = "*GEOMOBJECT";
    const size_t length = sizeof keyword - 1;
    const size_t beforeJ = 7;
    size_t count = 0;
    if (size_t(end - text) < length)
        return 0;
    for (const char* p = text + beforeJ; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, 'J', size_t(end - p)));
        if (!p)
            break;
        const char* start = p - beforeJ;
        const char* after = start + length;
        if (after <= end && std::memcmp(start, keyword, length) == 0 &&
            (start == text || isScanSpace(start[-1])) &&
            (after == end || isScanSpace(*after) || *after == '\0'))
            ++count;
    }
    return count;
}

bool AseLoader::loadFromMemory(tModel* model, const char* text, size_t size) {
    if (!model || (!text && size > 0))
        return false;
    *model = tModel();
    const char* const end = text + size;

    int32_t declaredMaterials = 0;
    {
        TextCursor c = {text, end};
        Keyword keyword;
        while (nextKeyword(c, &keyword)) {
            if (keyword == KEY_MATERIAL_COUNT) {
                scanInt(c, &declaredMaterials);
                break;
            }
            discardLine(c);
        }
        // Every material needs at least its keyword and a separator.
        size_t materialBudget = size / 10;
        declaredMaterials = acceptCount(declaredMaterials, materialBudget);
    }

    // Each material block begins right behind the n-th "*MATERIAL" token. A
    // count beyond the allowance gives only the materials whose blocks the file
    // holds; more blocks than that make the file unreadable.
    const size_t allowance = materialAllowance(size);
    std::vector<Scan> scans;
    {
        TextCursor c = {text, end};
        Keyword keyword;
        while (scans.size() < size_t(declaredMaterials) && nextKeyword(c, &keyword)) {
            if (keyword != KEY_MATERIAL) {
                discardLine(c);
                continue;
            }
            if (scans.size() == allowance)
                return false;
            scans.push_back(Scan{c.position, SCAN_MATERIAL, uint32_t(scans.size())});
        }
    }
    const size_t materialCount =
        size_t(declaredMaterials) <= allowance ? size_t(declaredMaterials) : scans.size();
    model->materials.reserve(materialCount + 1);
    model->materials.resize(materialCount);
    for (tMaterialInfo& material : model->materials)
        std::memset(&material, 0, sizeof material);

    // Objects begin right behind each "*GEOMOBJECT" token that such a scan
    // meets; room for them all is made first.
    const size_t objectCount = mostObjects(text, end);
    model->objects.reserve(objectCount);
    std::vector<std::vector<DataLine>> lines;
    lines.reserve(objectCount);
    scans.push_back(Scan{text, SCAN_OBJECT_STARTS, 0});
    Walk w;
    w.end = end;
    w.scans = std::move(scans);
    w.materials = &model->materials;
    w.objects = &model->objects;
    w.lines = &lines;
    // A data line needs its keyword, ten characters at least, and a separator:
    // a file whose lines are each read once holds no more than this.
    w.lineBudget = (size + 1) / 11;
    w.at = text;
    if (!walk(w, walkBudget(size))) {
        *model = tModel();
        return false;
    }

    for (tMaterialInfo& material : model->materials)
        for (int k = 0; k < 3; ++k)
            material.color[k] = colorByte(material.diffuseColor[k]);
    // Declared materials that the file does not hold are all alike, all zero:
    // objects that name one of them share one such material behind the others.
    bool standIn = false;
    for (t3DObject& object : model->objects)
        if (object.materialIndex >= int32_t(materialCount) &&
            object.materialIndex < declaredMaterials) {
            object.materialIndex = int32_t(materialCount);
            standIn = true;
        }
    if (standIn) {
        model->materials.emplace_back();
        std::memset(&model->materials.back(), 0, sizeof(tMaterialInfo));
    }
    model->materialCount = int32_t(model->materials.size());

    CountBudget budget = {size / (std::strlen("*MESH_VERTEX") + 1),
                          size / (std::strlen("*MESH_FACE") + 1),
                          size / (std::strlen("*MESH_TVERT") + 1)};
    model->objectCount = int32_t(model->objects.size());
    for (size_t i = 0; i < model->objects.size(); ++i) {
        buildObject(lines[i], model->materials, budget, &model->objects[i]);
        lines[i] = std::vector<DataLine>();
        computeVertexNormals(&model->objects[i]);
    }

    for (tMaterialInfo& material : model->materials)
        if (material.textureFile[0] != '\0' && textureLoader)
            textureLoader(material.textureFile, &material.textureId);
    return true;
}

bool AseLoader::load(tModel* model, const char* path) {
    if (!model || !path)
        return false;
    FileBytes file;
    switch (readFileBytes(assetPathToLocal(path).c_str(), &file)) {
    case FILE_BYTES_OK:
        break;
    case FILE_BYTES_UNOPENABLE:
        std::fprintf(stderr, "Unable to find or open the file: %s\n", path);
        return false;
    case FILE_BYTES_UNREADABLE:
        std::fprintf(stderr, "Unable to read the file: %s\n", path);
        return false;
    }
    const bool loaded = loadFromMemory(model, reinterpret_cast<const char*>(file.data), file.size);
    releaseFileBytes(&file);
    if (!loaded)
        std::fprintf(stderr, "Unable to read the file: %s (its lines do not make a model)\n", path);
    return loaded;
}
