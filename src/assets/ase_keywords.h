// The keywords of a model file and the reads of what stands behind them. A
// token is told from the keywords by its length and then compared whole, as
// the C library's "%s" would read it; values are read with text_scan.h.
#pragma once

#include "assets/text_scan.h"

#include <cstddef>
#include <cstdint>

// Longest token or quoted value the reader keeps; anything longer is ignored.
const size_t MAX_WORD = 254;

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

// Reads the next token and the keyword it is; false at the end of the text,
// which ends every scan. A token longer than MAX_WORD is none. Keywords are
// compared as C strings, so a token holding a NUL byte counts only up to it.
bool nextKeyword(TextCursor& c, Keyword* keyword);

// The value between two double quotes on the same line, blanks included, into
// a field of MAX_WORD + 1 characters. When no quote follows, the field stays
// as it was; when the closing quote is missing or the value is too long, the
// field also stays, and the scan goes on after the opening quote or after the
// closing one.
void readQuoted(TextCursor& c, char* field);

// " %f" into a value that starts at 0.
float scanFloatOrZero(TextCursor& c);

// The values of a data line, each read as "%f" or "%d". Bit i of the result is
// set when value i was read; reading stops at the first that cannot be.
unsigned scanFloats(TextCursor& c, float* values, int n);
unsigned scanInts(TextCursor& c, int32_t* values);

// "%d:" for a line's index (0 when it cannot be read), the colon only where
// the line has one.
int32_t scanLineIndex(TextCursor& c, bool withColon);

// A face line's "\tA:\t%d B:\t%d C:\t%d": white space, then each label and
// its colon.
unsigned scanFaceCorners(TextCursor& c, int32_t* values);
