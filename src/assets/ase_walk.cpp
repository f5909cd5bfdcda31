// The walk runs every scan of a model file side by side. The scan furthest
// behind moves first, and scans that stand on the same token read it once and
// share the rest of its line when they pass over it. Where every scan stands at
// the start of a line whose rest holds no keyword, however a scan may cut it
// into tokens (holdsNoKeyword), each scan would pass over that rest piece by
// piece, or read its values and come to the same place: so they take the line
// in one step, and a tidy file is read in about one pass. In a crafted file
// whose scans disagree on where long lines are cut, an object's scans may run
// past later objects and read their lines again; the budget bounds that work.
#include "assets/ase_walk.h"

#include <cmath>
#include <cstring>

static bool isDataKeyword(Keyword k) {
    return k == KEY_MATERIAL_REF || k == KEY_VERTEX || k == KEY_TVERT || k == KEY_FACE ||
           k == KEY_TFACE;
}

static const Keyword SCAN_KEYWORD[OBJECT_SCANS] = {KEY_OTHER, KEY_MATERIAL_REF, KEY_VERTEX,
                                                   KEY_TVERT, KEY_FACE,         KEY_TFACE};

// What a scan does with the token it stands on.
enum Reaction : uint8_t {
    PASS_LINE, // none of its keywords: it passes over the rest of the line
    STEP_OVER, // a data keyword of another scan of its object: it steps over
               // the keyword alone, and the numbers behind come up as tokens
    ACT,       // its keyword: it reads the values that follow
    STOP,      // its stop token: the scan ends
};

static Reaction reactionOf(ScanKind kind, Keyword keyword) {
    switch (kind) {
    case SCAN_OBJECT_STARTS:
        return keyword == KEY_GEOMOBJECT ? ACT : PASS_LINE;
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
            return PASS_LINE;
        }
    case SCAN_COUNTS:
        if (keyword == KEY_GEOMOBJECT)
            return STOP;
        return keyword == KEY_NUMVERTEX || keyword == KEY_NUMFACES || keyword == KEY_NUMTVERTEX
                   ? ACT
                   : PASS_LINE;
    default:
        if (keyword == KEY_GEOMOBJECT)
            return STOP;
        if (keyword == SCAN_KEYWORD[kind])
            return ACT;
        return isDataKeyword(keyword) ? STEP_OVER : PASS_LINE;
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

// What becomes of a scan once it has acted.
enum AfterAction { SCAN_GOES_ON, SCAN_ENDS };

// Reads what a material or object scan acts on after its keyword.
static AfterAction act(Walk& w, const Scan& scan, Keyword keyword, TextCursor& c) {
    if (scan.kind == SCAN_MATERIAL) {
        actOnMaterial(keyword, c, &(*w.materials)[scan.target]);
        return SCAN_GOES_ON;
    }
    t3DObject& object = (*w.objects)[scan.target];
    DataLine line;
    line.kind = scan.kind;
    switch (scan.kind) {
    case SCAN_COUNTS: {
        int32_t* count = keyword == KEY_NUMVERTEX  ? &object.vertexCount
                         : keyword == KEY_NUMFACES ? &object.faceCount
                                                   : &object.texCoordCount;
        scanInt(c, count);
        return SCAN_GOES_ON;
    }
    case SCAN_MATERIAL_REF:
        object.materialIndex = truncateToIndex(scanFloatOrZero(c));
        return SCAN_ENDS; // only the first reference counts
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
    (*w.lines)[scan.target].push_back(line);
    ++w.lineCount;
    return SCAN_GOES_ON;
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
    w.objects->emplace_back();
    w.lines->emplace_back();
    for (int k = 0; k < OBJECT_SCANS; ++k)
        w.scans.push_back(Scan{start.position, ScanKind(k), uint32_t(w.objects->size() - 1)});
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
        case PASS_LINE:
            if (!passedOver) {
                discardLine(c);
                skipSpace(c);
                passedOver = c.position;
            }
            c.position = passedOver;
            break;
        case STEP_OVER:
            skipSpace(c);
            break;
        case ACT:
            if (scan.kind == SCAN_OBJECT_STARTS) {
                beginObject(w, token.position);
            } else if (act(w, scan, keyword, c) == SCAN_ENDS) {
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

// When every scan stands on the same token, takes its whole line in one step:
// true when it did, false (having done nothing) when the line needs the
// general step. A look that finds the line unfit counts as work.
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
            if (act(w, w.scans[i], keyword, c) == SCAN_ENDS) {
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

bool walk(Walk& w, size_t budget) {
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
