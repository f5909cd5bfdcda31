// The .ase reader. The file is read once into memory. The reader finds the
// start of every material and object with the same token scans that count
// them, then reads each material with its own scan and each object with one
// walk that runs its six scans (the counts and one per kind of data line) side
// by side: each scan keeps its own place, since a keyword that one scan acts on
// is a line another passes over, and they share the work wherever they stand
// on the same token; where they all stand at the start of a line that no cut
// can turn into another keyword, they take the whole line in one step. Data
// lines are kept until the object's counts are known, then applied in file
// order.
#include "assets/ase_loader.h"

#include "platform/platform.h"
#include "platform/file_bytes.h"
#include "assets/text_scan.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

AseLoader::AseLoader(TextureLoaderFunction loader) : textureLoader(loader) {}

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

// Whether a token of `length` characters spells `keyword`.
template <size_t N> static bool spells(const char* token, size_t length, const char (&keyword)[N]) {
    return length == N - 1 && std::memcmp(token, keyword, N - 1) == 0;
}

// The keyword a token of `length` characters spells, found by its length, so
// that a token is compared with at most three keywords.
static Keyword keywordOfLength(const char* t, size_t length) {
    switch (length) {
    case 7:
        return spells(t, length, "*BITMAP") ? KEY_BITMAP : KEY_OTHER;
    case 9:
        return spells(t, length, "*MATERIAL") ? KEY_MATERIAL : KEY_OTHER;
    case 10:
        return spells(t, length, "*MESH_FACE") ? KEY_FACE : KEY_OTHER;
    case 11:
        return spells(t, length, "*GEOMOBJECT")   ? KEY_GEOMOBJECT
               : spells(t, length, "*MESH_TVERT") ? KEY_TVERT
               : spells(t, length, "*MESH_TFACE") ? KEY_TFACE
                                                  : KEY_OTHER;
    case 12:
        return spells(t, length, "*MESH_VERTEX") ? KEY_VERTEX : KEY_OTHER;
    case 13:
        return spells(t, length, "*MATERIAL_REF")   ? KEY_MATERIAL_REF
               : spells(t, length, "*UVW_U_TILING") ? KEY_U_TILING
               : spells(t, length, "*UVW_V_TILING") ? KEY_V_TILING
                                                    : KEY_OTHER;
    case 14:
        return spells(t, length, "*MESH_NUMFACES")   ? KEY_NUMFACES
               : spells(t, length, "*MATERIAL_NAME") ? KEY_MATERIAL_NAME
                                                     : KEY_OTHER;
    case 15:
        return spells(t, length, "*MESH_NUMVERTEX")   ? KEY_NUMVERTEX
               : spells(t, length, "*MATERIAL_COUNT") ? KEY_MATERIAL_COUNT
                                                      : KEY_OTHER;
    case 16:
        return spells(t, length, "*MESH_NUMTVERTEX") ? KEY_NUMTVERTEX : KEY_OTHER;
    case 17:
        return spells(t, length, "*MATERIAL_DIFFUSE") ? KEY_MATERIAL_DIFFUSE : KEY_OTHER;
    default:
        return KEY_OTHER;
    }
}

// Reads the next token and the keyword it is; false at the end of the text,
// which ends every scan. A token longer than MAX_WORD is none. Keywords are
// compared as C strings, so a token holding a NUL byte counts only up to it.
static bool nextKeyword(TextCursor& c, Keyword* keyword) {
    const char* token;
    size_t length, stringLength;
    if (!scanTokenString(c, &token, &length, &stringLength))
        return false;
    const bool candidate = length <= MAX_WORD && token[0] == '*';
    *keyword = candidate ? keywordOfLength(token, stringLength) : KEY_OTHER;
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

// The scans of the main walk: the one that finds where objects begin, one per
// material block, and six per object (its counts and one per kind of data line).
enum ScanKind : uint8_t {
    SCAN_COUNTS,
    SCAN_MATERIAL_REF,
    SCAN_VERTEX,
    SCAN_TVERT,
    SCAN_FACE,
    SCAN_TFACE,
    SCAN_OBJECT_STARTS,
    SCAN_MATERIAL,
};
static const int OBJECT_SCANS = 6;

struct Scan {
    const char* position; // at the next token (white space skipped)
    ScanKind kind;
    uint32_t target; // the material or object it fills
};

static bool isDataKeyword(Keyword k) {
    return k == KEY_MATERIAL_REF || k == KEY_VERTEX || k == KEY_TVERT || k == KEY_FACE ||
           k == KEY_TFACE;
}

static const Keyword SCAN_KEYWORD[OBJECT_SCANS] = {KEY_OTHER, KEY_MATERIAL_REF, KEY_VERTEX,
                                                   KEY_TVERT, KEY_FACE,         KEY_TFACE};

// One data line as read: the scan that read it, its index and the values
// that could be read (bit i of `read` set when value i was read). Floats for
// vertices and texture vertices, integers for faces and texture faces.
struct DataLine {
    int32_t index;
    uint8_t kind; // a ScanKind
    uint8_t read;
    union {
        float f[3];
        int32_t i[3];
    } value;
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

// What a scan does with the token it stands on.
enum Reaction : uint8_t {
    PASS, // none of its keywords: it passes over the rest of the line
    SKIP, // a data keyword of another scan of its object: the numbers behind it
          // come up as tokens
    ACT,  // its keyword: it reads the values that follow
    STOP, // its stop token: the scan ends
};

static Reaction reactionOf(ScanKind kind, Keyword keyword) {
    switch (kind) {
    case SCAN_OBJECT_STARTS:
        return keyword == KEY_GEOMOBJECT ? ACT : PASS;
    case SCAN_MATERIAL:
        switch (keyword) {
        case KEY_MATERIAL:
            return STOP;
        case KEY_MATERIAL_DIFFUSE:
        case KEY_BITMAP:
        case KEY_MATERIAL_NAME:
        case KEY_U_TILING:
        case KEY_V_TILING:
            return ACT;
        default:
            return PASS;
        }
    case SCAN_COUNTS:
        if (keyword == KEY_GEOMOBJECT)
            return STOP;
        return keyword == KEY_NUMVERTEX || keyword == KEY_NUMFACES || keyword == KEY_NUMTVERTEX
                   ? ACT
                   : PASS;
    default:
        if (keyword == KEY_GEOMOBJECT)
            return STOP;
        if (keyword == SCAN_KEYWORD[kind])
            return ACT;
        return isDataKeyword(keyword) ? SKIP : PASS;
    }
}

// A material block runs from its "*MATERIAL" token to the next one; the last
// one to the end of the file.
static void actOnMaterial(Keyword keyword, TextCursor& c, tMaterialInfo* material) {
    switch (keyword) {
    case KEY_MATERIAL_DIFFUSE:
        if (scanFloat(c, &material->diffuseColor[0]) && scanFloat(c, &material->diffuseColor[1]))
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
        break;
    }
}

static int32_t truncateToIndex(float value) {
    // Out of the int range (and for not-a-number) the processor's conversion
    // gives INT32_MIN; C++ leaves it undefined, so say it here.
    if (!(value >= -2147483648.0f && value < 2147483648.0f))
        return INT32_MIN;
    return int32_t(value);
}

// The state of the walk that its steps share.
struct Walk {
    const char* end;
    std::vector<Scan> scans;
    std::vector<tMaterialInfo>& materials;
    // Each object as its scans find it: its counts as the file declares them
    // and its material reference, while `lines` keeps its data lines.
    std::vector<t3DObject>& objects;
    std::vector<std::vector<DataLine>>& lines;
    size_t lineCount, lineBudget; // data lines kept, and how many may be
    size_t work;                  // bytes passed by each scan, and scans looked at
    // While every scan stands at `at`, the scans' own positions are not kept.
    bool together;
    const char* at;
};

// Reads what a material or object scan acts on after its keyword; returns false
// when the scan ends with it.
static bool act(Walk& w, const Scan& scan, Keyword keyword, TextCursor& c) {
    if (scan.kind == SCAN_MATERIAL) {
        actOnMaterial(keyword, c, &w.materials[scan.target]);
        return true;
    }
    t3DObject& object = w.objects[scan.target];
    DataLine line;
    line.kind = scan.kind;
    switch (scan.kind) {
    case SCAN_COUNTS: {
        int32_t* count = keyword == KEY_NUMVERTEX  ? &object.vertexCount
                         : keyword == KEY_NUMFACES ? &object.faceCount
                                                   : &object.texCoordCount;
        scanInt(c, count);
        return true;
    }
    case SCAN_MATERIAL_REF:
        object.materialIndex = truncateToIndex(scanFloatOrZero(c));
        return false; // only the first reference counts
    case SCAN_VERTEX:
    case SCAN_TVERT:
        line.index = scanLineIndex(c, false);
        line.read = uint8_t(scanFloats(c, line.value.f, scan.kind == SCAN_VERTEX ? 3 : 2));
        break;
    default:
        line.index = scanLineIndex(c, true);
        line.read = uint8_t(scan.kind == SCAN_FACE ? scanFaceCorners(c, line.value.i)
                                                   : scanInts(c, line.value.i));
        break;
    }
    w.lines[scan.target].push_back(line);
    ++w.lineCount;
    return true;
}

static void endScan(Walk& w, size_t i) {
    w.scans[i] = w.scans.back();
    w.scans.pop_back();
}

// Gives every scan its own position again.
static void standApart(Walk& w) {
    if (!w.together)
        return;
    for (Scan& scan : w.scans)
        scan.position = w.at;
    w.together = false;
}

// The object-starts scan met "*GEOMOBJECT": the object's six scans begin right
// behind it.
static void beginObject(Walk& w, const char* behindToken) {
    TextCursor start = {behindToken, w.end};
    skipSpace(start);
    w.objects.emplace_back();
    w.lines.emplace_back();
    for (int k = 0; k < OBJECT_SCANS; ++k)
        w.scans.push_back(Scan{start.position, ScanKind(k), uint32_t(w.objects.size() - 1)});
}

// Moves each scan that stands on the token at `here` by one token: the general
// step, which takes any text.
static void stepEachScan(Walk& w, const char* here, const TextCursor& token, Keyword keyword) {
    standApart(w);
    const char* passedOver = nullptr; // where the shared discard of the line ends
    for (size_t i = 0; i < w.scans.size();) {
        if (w.scans[i].position != here) {
            ++i;
            continue;
        }
        const Scan scan = w.scans[i];
        TextCursor c = token;
        switch (reactionOf(scan.kind, keyword)) {
        case STOP:
            endScan(w, i);
            continue;
        case PASS:
            if (!passedOver) {
                discardLine(c);
                skipSpace(c);
                passedOver = c.position;
            }
            c.position = passedOver;
            break;
        case SKIP:
            skipSpace(c);
            break;
        case ACT:
            if (scan.kind == SCAN_OBJECT_STARTS) {
                beginObject(w, token.position);
            } else if (!act(w, scan, keyword, c)) {
                endScan(w, i);
                continue;
            }
            skipSpace(c);
            break;
        }
        w.work += size_t(c.position - here);
        w.scans[i].position = c.position;
        ++i;
    }
}

// Whether no token that a scan can meet in [from, to) is a keyword, however
// the scans cut the text into pieces: such a token would begin with a '*', and
// be the run of characters from there to the next white space. `to` is a line
// end or the end of the text. An exporter's face line holds two '*'; past a
// few the answer is left to the general step, which is false here.
static bool holdsNoKeyword(const char* from, const char* to) {
    const int MOST_STARS = 4;
    for (int stars = 0;; ++stars) {
        const void* star = std::memchr(from, '*', size_t(to - from));
        if (!star)
            return true;
        if (stars == MOST_STARS)
            return false;
        TextCursor run = {static_cast<const char*>(star), to};
        Keyword keyword;
        if (nextKeyword(run, &keyword) && keyword != KEY_OTHER)
            return false;
        from = static_cast<const char*>(star) + 1;
    }
}

// Lines longer than this, from the token to the line end, go token by token,
// so that a line with no end in sight costs a bounded look.
static const size_t LONGEST_LINE_STEP = 256;

// When every scan stands on the same token, they usually take its whole line
// in one step; true when they did, false (having done nothing) when the line
// needs the general step.
// - A token that is no keyword: every scan passes over the line, and they all
//   share one discard.
// - A keyword that neither ends nor begins scans, on a line where holdsNoKeyword
//   finds nothing behind it: every later token of the line, and every piece
//   of one, is no keyword, and every scan passes over those. So a scan that
//   passes over the keyword or skips it goes on passing over the rest of the
//   line, each discard either reaching the line end or leaving a piece of the
//   same line, and comes to the next line's first token. So does a scan that
//   acts, when its reading stops on the same line; one whose reading went on
//   past the line end stands where it stopped.
// A look that finds the line unfit counts as work, like the bytes it looked at.
static bool stepLineTogether(Walk& w, const TextCursor& token, Keyword keyword) {
    const char* const here = w.at;
    if (keyword == KEY_GEOMOBJECT || keyword == KEY_MATERIAL)
        return false;
    if (keyword == KEY_OTHER) {
        TextCursor c = token;
        discardLine(c);
        skipSpace(c);
        w.at = c.position;
        w.work += w.scans.size() * size_t(w.at - here);
        return true;
    }
    const size_t rest = size_t(w.end - token.position);
    const size_t searched = rest < LONGEST_LINE_STEP ? rest : LONGEST_LINE_STEP;
    const void* newline = std::memchr(token.position, '\n', searched);
    if (!newline && searched < rest) {
        w.work += searched;
        return false;
    }
    const char* lineEnd = newline ? static_cast<const char*>(newline) : w.end;
    if (!holdsNoKeyword(token.position, lineEnd)) {
        w.work += size_t(lineEnd - token.position);
        return false;
    }
    TextCursor nextLine = {lineEnd, w.end};
    skipSpace(nextLine);
    w.at = nextLine.position; // where standApart puts all but the one that read on
    for (size_t i = 0; i < w.scans.size();) {
        const char* position = nextLine.position;
        if (reactionOf(w.scans[i].kind, keyword) == ACT) {
            TextCursor c = token;
            if (!act(w, w.scans[i], keyword, c)) {
                endScan(w, i);
                continue;
            }
            if (c.position > lineEnd) {
                skipSpace(c);
                position = c.position;
                standApart(w);
                w.scans[i].position = position;
            }
        }
        w.work += size_t(position - here);
        ++i;
    }
    return true;
}

// Runs every scan of the walk side by side. The scan furthest behind moves
// first, and scans that stand on the same token read it once and share the
// rest of its line when they pass over it. A scan ends at the end of the text,
// at its stop token, or (a material reference) after its one action. The
// object-starts scan adds the six scans of each object it finds.
//
// In a tidy file the scans stand together at the start of almost every line,
// and take it in one step; every object's scans end where the next object
// begins, so the walk reads each byte a few times. In a crafted one, where the
// scans disagree on where long lines are cut, an object's scans can run past
// every later object to the end, and read the same data lines again. `budget`
// bounds the work (bytes passed and scans looked at), and the walk's
// lineBudget the data lines it keeps; false when either runs out before the
// walk is done.
static bool walk(Walk& w, size_t budget) {
    for (Scan& scan : w.scans) {
        TextCursor c = {scan.position, w.end};
        skipSpace(c);
        scan.position = c.position;
    }
    w.work = 0;
    w.together = false;
    while (!w.scans.empty()) {
        w.work += w.scans.size();
        if (w.work > budget || w.lineCount > w.lineBudget)
            return false;
        if (!w.together) {
            const char* here = w.scans[0].position;
            const char* furthest = here;
            for (const Scan& scan : w.scans) {
                if (scan.position < here)
                    here = scan.position;
                if (scan.position > furthest)
                    furthest = scan.position;
            }
            w.at = here;
            w.together = here == furthest;
        }
        const char* const here = w.at;
        TextCursor token = {here, w.end};
        Keyword keyword;
        if (!nextKeyword(token, &keyword)) {
            // The end of the text ends every scan that reaches it.
            standApart(w);
            for (size_t i = 0; i < w.scans.size();) {
                if (w.scans[i].position == here)
                    endScan(w, i);
                else
                    ++i;
            }
            continue;
        }
        if (w.together && stepLineTogether(w, token, keyword))
            continue;
        stepEachScan(w, here, token, keyword);
    }
    return true;
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

// How many materials the model may hold: a material record takes 536 bytes,
// an exporter's material block about 450 bytes of the file, so a file of any
// real materials is far inside this, while a count that the file's size cannot
// pay for costs at most about twice the size.
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
    // A data line needs its keyword, ten characters at least, and a separator:
    // a file whose lines are each read once holds no more than this.
    Walk w = {end,
              std::move(scans),
              model->materials,
              model->objects,
              lines,
              0,
              (size + 1) / 11,
              0,
              false,
              text};
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
    switch (readFileBytes(platformPath(path).c_str(), &file)) {
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
