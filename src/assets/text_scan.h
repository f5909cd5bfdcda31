// A cursor over text in memory with the conversions of the C library's
// formatted input ("%s", "%d", "%f", literal characters, white space), as the
// GNU C library performs them, so that the model reader can walk a file held
// in a buffer and consume exactly what those conversions would. Nothing here
// reads outside [position, end).
#pragma once

#include <cstddef>
#include <cstdint>

struct TextCursor {
    const char* position;
    const char* end;
};

inline bool isScanSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A blank or tab in a format: skips any run of white space, also none.
inline void skipSpace(TextCursor& c) {
    while (c.position < c.end && isScanSpace(*c.position))
        ++c.position;
}

// "%s": skips white space and takes the following run of other characters,
// however long, and says how much of it a C string holds: the characters
// before its first NUL byte, or all of them. False, with nothing taken, at the
// end of the text.
bool scanTokenString(TextCursor& c, const char** token, size_t* length, size_t* stringLength);

// "%d": base 10 with an optional sign. On failure the target is left as it
// was; a sign without digits is consumed. Values beyond the 64-bit range
// saturate and are then cut to 32 bits, as the library does on this platform.
bool scanInt(TextCursor& c, int32_t* value);

// "%f": decimal, hexadecimal, "inf", "infinity" and "nan" in either case.
// Consumes what the library consumes, also on failure, and converts exactly
// as strtof does.
bool scanFloat(TextCursor& c, float* value);

// A literal character in a format: consumed when it is next, else left.
inline bool scanLiteral(TextCursor& c, char literal) {
    if (c.position < c.end && *c.position == literal) {
        ++c.position;
        return true;
    }
    return false;
}

// One read of at most 99 characters that stops after a line end: what the
// reader uses to pass over the rest of a line it does not understand.
void discardLine(TextCursor& c);
