// Keywords by length, and the reads of quoted values and data lines.
#include "assets/ase_keywords.h"

#include <cstring>

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

bool nextKeyword(TextCursor& c, Keyword* keyword) {
    const char* token;
    size_t length, stringLength;
    if (!scanTokenString(c, &token, &length, &stringLength))
        return false;
    const bool candidate = length <= MAX_WORD && token[0] == '*';
    *keyword = candidate ? keywordOfLength(token, stringLength) : KEY_OTHER;
    return true;
}

void readQuoted(TextCursor& c, char* field) {
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

float scanFloatOrZero(TextCursor& c) {
    float value = 0.0f;
    scanFloat(c, &value);
    return value;
}

unsigned scanFloats(TextCursor& c, float* values, int n) {
    unsigned read = 0;
    for (int i = 0; i < n; ++i) {
        if (!scanFloat(c, &values[i]))
            break;
        read |= 1u << i;
    }
    return read;
}

int32_t scanLineIndex(TextCursor& c, bool withColon) {
    int32_t index = 0;
    if (scanInt(c, &index) && withColon)
        scanLiteral(c, ':');
    return index;
}

unsigned scanFaceCorners(TextCursor& c, int32_t* values) {
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

unsigned scanInts(TextCursor& c, int32_t* values) {
    unsigned read = 0;
    for (int i = 0; i < 3; ++i) {
        if (!scanInt(c, &values[i]))
            break;
        read |= 1u << i;
    }
    return read;
}
