// The .ase reader. The file is read once into memory. The reader finds the
// start of every material and object with the same token scans that count
// them, then reads each material with its own scan and each object with one
// walk that runs its six scans (the counts and one per kind of data line) side
// by side: each scan keeps its own place, since a keyword that one scan acts on
// is a line another passes over, and they share the work wherever they stand
// on the same token. Data lines are kept until the object's counts are known,
// then applied in file order.
#include "assets/ase_loader.h"

#include "app/platform.h"
#include "assets/text_scan.h"
#include "assets/texture.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

AseLoader aseLoader;

AseLoader::AseLoader() : textureLoader(loadTexture) {}

// Longest token or quoted value the reader keeps; anything longer is ignored.
static const size_t MAX_WORD = 254;

enum Keyword {
    KEY_OTHER,
    KEY_GEOMOBJECT,
    KEY_MATERIAL_COUNT,
    KEY_MATERIAL,
    KEY_MATERIAL_DIFFUSE,
    KEY_BITMAP,
    KEY_MATERIAL_NAME,
    KEY_U_TILING,
    KEY_V_TILING,
    KEY_NUMVERTEX,
    KEY_NUMFACES,
    KEY_NUMTVERTEX,
    KEY_MATERIAL_REF,
    KEY_VERTEX,
    KEY_TVERT,
    KEY_FACE,
    KEY_TFACE,
};

struct KeywordName {
    const char* text;
    size_t length;
    Keyword keyword;
};

static const KeywordName KEYWORDS[] = {
    {"*GEOMOBJECT", sizeof "*GEOMOBJECT" - 1, KEY_GEOMOBJECT},
    {"*MATERIAL_COUNT", sizeof "*MATERIAL_COUNT" - 1, KEY_MATERIAL_COUNT},
    {"*MATERIAL", sizeof "*MATERIAL" - 1, KEY_MATERIAL},
    {"*MATERIAL_DIFFUSE", sizeof "*MATERIAL_DIFFUSE" - 1, KEY_MATERIAL_DIFFUSE},
    {"*BITMAP", sizeof "*BITMAP" - 1, KEY_BITMAP},
    {"*MATERIAL_NAME", sizeof "*MATERIAL_NAME" - 1, KEY_MATERIAL_NAME},
    {"*UVW_U_TILING", sizeof "*UVW_U_TILING" - 1, KEY_U_TILING},
    {"*UVW_V_TILING", sizeof "*UVW_V_TILING" - 1, KEY_V_TILING},
    {"*MESH_NUMVERTEX", sizeof "*MESH_NUMVERTEX" - 1, KEY_NUMVERTEX},
    {"*MESH_NUMFACES", sizeof "*MESH_NUMFACES" - 1, KEY_NUMFACES},
    {"*MESH_NUMTVERTEX", sizeof "*MESH_NUMTVERTEX" - 1, KEY_NUMTVERTEX},
    {"*MATERIAL_REF", sizeof "*MATERIAL_REF" - 1, KEY_MATERIAL_REF},
    {"*MESH_VERTEX", sizeof "*MESH_VERTEX" - 1, KEY_VERTEX},
    {"*MESH_TVERT", sizeof "*MESH_TVERT" - 1, KEY_TVERT},
    {"*MESH_FACE", sizeof "*MESH_FACE" - 1, KEY_FACE},
    {"*MESH_TFACE", sizeof "*MESH_TFACE" - 1, KEY_TFACE},
};

// Keywords are compared as C strings, so a token holding a NUL byte counts only
// up to it.
static Keyword classify(const char* token, size_t length) {
    if (length == 0 || length > MAX_WORD || token[0] != '*')
        return KEY_OTHER;
    const void* nul = std::memchr(token, '\0', length);
    if (nul)
        length = size_t(static_cast<const char*>(nul) - token);
    for (const KeywordName& k : KEYWORDS)
        if (k.length == length && std::memcmp(k.text, token, length) == 0)
            return k.keyword;
    return KEY_OTHER;
}

// Reads the next token; false at the end of the text, which ends every scan.
static bool nextKeyword(TextCursor& c, Keyword* keyword) {
    const char* token;
    size_t length;
    if (!scanToken(c, &token, &length))
        return false;
    *keyword = classify(token, length);
    return true;
}

// The value between two double quotes on the same line, blanks included. When
// no quote follows, the field stays as it was; when the closing quote is
// missing or the value is too long, the field also stays, and the scan goes
// on after the opening quote or after the closing one.
static void readQuoted(TextCursor& c, char* field) {
    skipSpace(c);
    if (!scanLiteral(c, '"'))
        return;
    const char* start = c.position;
    const char* p = start;
    while (p < c.end && *p != '"' && *p != '\n')
        ++p;
    if (p == c.end || *p != '"')
        return;
    c.position = p + 1;
    const size_t length = size_t(p - start);
    if (length > MAX_WORD)
        return;
    std::memcpy(field, start, length);
    field[length] = '\0';
}

// " %f" into a value that starts at 0.
static float scanFloatOrZero(TextCursor& c) {
    float value = 0.0f;
    scanFloat(c, &value);
    return value;
}

static uint8_t colorByte(float component) {
    const float scaled = component * 255.0f;
    if (!(scaled > 0.0f)) // also not-a-number
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return uint8_t(std::lround(scaled));
}

// A material block runs from its "*MATERIAL" token to the next one.
static void readMaterial(TextCursor c, tMaterialInfo* material) {
    Keyword keyword;
    while (nextKeyword(c, &keyword)) {
        switch (keyword) {
        case KEY_MATERIAL:
            return;
        case KEY_MATERIAL_DIFFUSE:
            skipSpace(c);
            if (scanFloat(c, &material->diffuseColor[0]) &&
                scanFloat(c, &material->diffuseColor[1]))
                scanFloat(c, &material->diffuseColor[2]);
            break;
        case KEY_BITMAP:
            readQuoted(c, material->textureFile);
            break;
        case KEY_MATERIAL_NAME:
            readQuoted(c, material->name);
            break;
        case KEY_U_TILING:
            material->uTiling = scanFloatOrZero(c);
            break;
        case KEY_V_TILING:
            material->vTiling = scanFloatOrZero(c);
            break;
        default:
            discardLine(c);
            break;
        }
    }
}

// The six scans of an object.
enum ObjectScan { SCAN_COUNTS, SCAN_MATERIAL_REF, SCAN_VERTEX, SCAN_TVERT, SCAN_FACE, SCAN_TFACE };
static const int OBJECT_SCANS = 6;

static bool isDataKeyword(Keyword k) {
    return k == KEY_MATERIAL_REF || k == KEY_VERTEX || k == KEY_TVERT || k == KEY_FACE ||
           k == KEY_TFACE;
}

static const Keyword SCAN_KEYWORD[OBJECT_SCANS] = {KEY_OTHER, KEY_MATERIAL_REF, KEY_VERTEX,
                                                   KEY_TVERT, KEY_FACE,         KEY_TFACE};

// One data line as read: its index and the values that could be read (bit i
// of `read` set when value i was read).
struct FloatLine {
    int32_t index;
    unsigned read;
    float value[3];
};

struct IntLine {
    int32_t index;
    unsigned read;
    int32_t value[3];
};

// What one object's scans found, before the counts are applied.
struct ObjectLines {
    int32_t vertexCount, faceCount, texCoordCount;
    bool hasMaterialRef;
    float materialRef;
    std::vector<FloatLine> vertices, texCoords;
    std::vector<IntLine> faces, texFaces;

    void clear() {
        vertexCount = faceCount = texCoordCount = 0;
        hasMaterialRef = false;
        materialRef = 0.0f;
        vertices.clear();
        texCoords.clear();
        faces.clear();
        texFaces.clear();
    }
};

static unsigned scanFloats(TextCursor& c, float* values, int n) {
    unsigned read = 0;
    for (int i = 0; i < n; ++i) {
        if (!scanFloat(c, &values[i]))
            break;
        read |= 1u << i;
    }
    return read;
}

// "%d:" for the line index (0 when it cannot be read).
static int32_t scanLineIndex(TextCursor& c, bool withColon) {
    int32_t index = 0;
    if (scanInt(c, &index) && withColon)
        scanLiteral(c, ':');
    return index;
}

// "\tA:\t%d B:\t%d C:\t%d": white space, then each label and its colon.
static unsigned scanFaceCorners(TextCursor& c, int32_t* values) {
    static const char labels[3] = {'A', 'B', 'C'};
    unsigned read = 0;
    for (int i = 0; i < 3; ++i) {
        skipSpace(c);
        if (!scanLiteral(c, labels[i]) || !scanLiteral(c, ':') || !scanInt(c, &values[i]))
            break;
        read |= 1u << i;
    }
    return read;
}

static unsigned scanInts(TextCursor& c, int32_t* values) {
    unsigned read = 0;
    for (int i = 0; i < 3; ++i) {
        if (!scanInt(c, &values[i]))
            break;
        read |= 1u << i;
    }
    return read;
}

// Reads what a scan acts on after its keyword; returns false when the scan ends.
static bool act(int scan, Keyword keyword, TextCursor& c, ObjectLines& lines) {
    switch (scan) {
    case SCAN_COUNTS: {
        int32_t* count = keyword == KEY_NUMVERTEX  ? &lines.vertexCount
                         : keyword == KEY_NUMFACES ? &lines.faceCount
                                                   : &lines.texCoordCount;
        scanInt(c, count);
        return true;
    }
    case SCAN_MATERIAL_REF:
        lines.hasMaterialRef = true;
        lines.materialRef = scanFloatOrZero(c);
        return false; // only the first reference counts
    case SCAN_VERTEX:
    case SCAN_TVERT: {
        FloatLine line;
        line.index = scanLineIndex(c, false);
        line.read = scanFloats(c, line.value, scan == SCAN_VERTEX ? 3 : 2);
        (scan == SCAN_VERTEX ? lines.vertices : lines.texCoords).push_back(line);
        return true;
    }
    default: {
        IntLine line;
        line.index = scanLineIndex(c, true);
        line.read = scan == SCAN_FACE ? scanFaceCorners(c, line.value) : scanInts(c, line.value);
        (scan == SCAN_FACE ? lines.faces : lines.texFaces).push_back(line);
        return true;
    }
    }
}

// Runs the six scans of the object whose "*GEOMOBJECT" token ends at `start`.
// Each scan stops at the next "*GEOMOBJECT" it meets or at the end of the text.
// The scan furthest behind moves first; scans on the same token share it.
static void scanObject(const char* start, const char* end, ObjectLines& lines) {
    const char* position[OBJECT_SCANS];
    bool running[OBJECT_SCANS];
    for (int s = 0; s < OBJECT_SCANS; ++s) {
        TextCursor c = {start, end};
        skipSpace(c);
        position[s] = c.position;
        running[s] = true;
    }
    for (;;) {
        const char* here = nullptr;
        for (int s = 0; s < OBJECT_SCANS; ++s)
            if (running[s] && (!here || position[s] < here))
                here = position[s];
        if (!here)
            return;
        TextCursor token = {here, end};
        Keyword keyword;
        if (!nextKeyword(token, &keyword)) {
            for (int s = 0; s < OBJECT_SCANS; ++s)
                if (position[s] == here)
                    running[s] = false;
            continue;
        }
        // The rest of the line passed over from behind this token, found once.
        const char* discarded = nullptr;
        for (int s = 0; s < OBJECT_SCANS; ++s) {
            if (!running[s] || position[s] != here)
                continue;
            TextCursor c = token;
            if (keyword == KEY_GEOMOBJECT) {
                running[s] = false;
                continue;
            }
            const bool acts = s == SCAN_COUNTS
                                  ? (keyword == KEY_NUMVERTEX || keyword == KEY_NUMFACES ||
                                     keyword == KEY_NUMTVERTEX)
                                  : keyword == SCAN_KEYWORD[s];
            if (acts) {
                if (!act(s, keyword, c, lines)) {
                    running[s] = false;
                    continue;
                }
            } else if (s != SCAN_COUNTS && isDataKeyword(keyword)) {
                // A keyword of another scan: its numbers come up as tokens.
            } else {
                if (!discarded) {
                    discardLine(c);
                    skipSpace(c);
                    discarded = c.position;
                }
                c.position = discarded;
            }
            skipSpace(c);
            position[s] = c.position;
        }
    }
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

static int32_t truncateToIndex(float value) {
    // Out of the int range (and for not-a-number) the processor's conversion
    // gives INT32_MIN; C++ leaves it undefined, so say it here.
    if (!(value >= -2147483648.0f && value < 2147483648.0f))
        return INT32_MIN;
    return int32_t(value);
}

static bool inside(int32_t index, int32_t count) {
    return index >= 0 && index < count;
}

struct CountBudget {
    size_t vertices, faces, texCoords;
};

static void buildObject(const ObjectLines& lines, const std::vector<tMaterialInfo>& materials,
                        CountBudget& budget, t3DObject* object) {
    object->vertexCount = acceptCount(lines.vertexCount, budget.vertices);
    object->faceCount = acceptCount(lines.faceCount, budget.faces);
    object->texCoordCount = acceptCount(lines.texCoordCount, budget.texCoords);
    object->vertices.assign(size_t(object->vertexCount), tVector3(0, 0, 0));
    object->faces.assign(size_t(object->faceCount), tFace{});
    object->texCoords.assign(size_t(object->texCoordCount), tVector2{});
    if (lines.hasMaterialRef)
        object->materialIndex = truncateToIndex(lines.materialRef);

    for (const FloatLine& line : lines.vertices) {
        if (!inside(line.index, object->vertexCount))
            continue;
        // The file's third axis is the program's up axis: (X, Y, Z) becomes (X, Z, -Y).
        tVector3& v = object->vertices[size_t(line.index)];
        if (line.read & 1)
            v.x = line.value[0];
        if (line.read & 2)
            v.z = line.value[1];
        if (line.read & 4)
            v.y = line.value[2];
        v.z = -v.z;
    }

    // An object without its material tiles like a material without tiling.
    float uTiling = 0.0f, vTiling = 0.0f;
    if (inside(object->materialIndex, int32_t(materials.size()))) {
        uTiling = materials[size_t(object->materialIndex)].uTiling;
        vTiling = materials[size_t(object->materialIndex)].vTiling;
    }
    for (const FloatLine& line : lines.texCoords) {
        if (!inside(line.index, object->texCoordCount))
            continue;
        tVector2& t = object->texCoords[size_t(line.index)];
        if (line.read & 1)
            t.u = line.value[0];
        if (line.read & 2)
            t.v = line.value[1];
        t.u *= uTiling;
        t.v *= vTiling;
        object->hasTexture = true;
    }

    for (const IntLine& line : lines.faces) {
        if (!inside(line.index, object->faceCount))
            continue;
        tFace& f = object->faces[size_t(line.index)];
        for (int k = 0; k < 3; ++k)
            if (line.read & (1u << k))
                f.vertexIndex[k] = line.value[k];
    }
    for (const IntLine& line : lines.texFaces) {
        if (!inside(line.index, object->faceCount))
            continue;
        tFace& f = object->faces[size_t(line.index)];
        for (int k = 0; k < 3; ++k)
            if (line.read & (1u << k))
                f.texCoordIndex[k] = line.value[k];
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
// normals of the faces that use it, each face once, added in face order.
static void computeVertexNormals(t3DObject* object) {
    const size_t vertexCount = size_t(object->vertexCount);
    std::vector<tVector3> sums(vertexCount, tVector3(0, 0, 0));
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
    object->normals.resize(vertexCount);
    for (size_t v = 0; v < vertexCount; ++v) {
        tVector3 n = unitVector(sums[v] / float(-counts[v]));
        // A zero sum (or one no float can hold) has no direction: point up.
        if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z))
            n = tVector3(0, 1, 0);
        object->normals[v] = n;
    }
}

bool AseLoader::loadFromMemory(tModel* model, const char* text, size_t size) {
    if (!model || (!text && size > 0))
        return false;
    *model = tModel();
    const char* const end = text + size;

    // Where each object begins: right behind its "*GEOMOBJECT" token as a scan
    // that passes over the rest of every other token's line meets it.
    std::vector<const char*> objectStarts;
    {
        TextCursor c = {text, end};
        Keyword keyword;
        while (nextKeyword(c, &keyword)) {
            if (keyword == KEY_GEOMOBJECT)
                objectStarts.push_back(c.position);
            else
                discardLine(c);
        }
    }

    int32_t materialCount = 0;
    {
        TextCursor c = {text, end};
        Keyword keyword;
        while (nextKeyword(c, &keyword)) {
            if (keyword == KEY_MATERIAL_COUNT) {
                scanInt(c, &materialCount);
                break;
            }
            discardLine(c);
        }
        // Every material needs at least its keyword and a separator.
        size_t materialBudget = size / 10;
        materialCount = acceptCount(materialCount, materialBudget);
    }

    std::vector<const char*> materialStarts;
    {
        TextCursor c = {text, end};
        Keyword keyword;
        while (materialStarts.size() < size_t(materialCount) && nextKeyword(c, &keyword)) {
            if (keyword == KEY_MATERIAL)
                materialStarts.push_back(c.position);
            else
                discardLine(c);
        }
    }

    model->materialCount = materialCount;
    model->materials.resize(size_t(materialCount));
    for (int32_t i = 0; i < materialCount; ++i) {
        tMaterialInfo& material = model->materials[size_t(i)];
        std::memset(&material, 0, sizeof material);
        if (size_t(i) < materialStarts.size())
            readMaterial(TextCursor{materialStarts[size_t(i)], end}, &material);
        for (int k = 0; k < 3; ++k)
            material.color[k] = colorByte(material.diffuseColor[k]);
    }

    CountBudget budget = {size / (std::strlen("*MESH_VERTEX") + 1),
                          size / (std::strlen("*MESH_FACE") + 1),
                          size / (std::strlen("*MESH_TVERT") + 1)};
    model->objectCount = int32_t(objectStarts.size());
    model->objects.resize(objectStarts.size());
    ObjectLines lines;
    for (size_t i = 0; i < objectStarts.size(); ++i) {
        lines.clear();
        scanObject(objectStarts[i], end, lines);
        buildObject(lines, model->materials, budget, &model->objects[i]);
        computeVertexNormals(&model->objects[i]);
    }

    for (tMaterialInfo& material : model->materials)
        if (material.textureFile[0] != '\0' && textureLoader)
            textureLoader(material.textureFile, &material.textureId);
    return true;
}

static bool readWholeFile(const char* path, std::vector<char>* contents) {
    std::FILE* file = std::fopen(platformPath(path).c_str(), "rb");
    if (!file)
        return false;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        contents->insert(contents->end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

bool AseLoader::load(tModel* model, const char* path) {
    if (!model || !path)
        return false;
    std::vector<char> contents;
    if (!readWholeFile(path, &contents)) {
        std::fprintf(stderr, "Unable to find or open the file: %s\n", path);
        return false;
    }
    return loadFromMemory(model, contents.data(), contents.size());
}
