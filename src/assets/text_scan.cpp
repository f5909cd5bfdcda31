// Formatted-input conversions on a bounded cursor, following the GNU C
// library's scanf character by character: which characters a conversion takes,
// what it leaves, and when it fails.
#include "assets/text_scan.h"

#include <cstdlib>
#include <cstring>
#include <string>

static inline bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

static inline bool isHexDigit(int c) {
    return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// Lower case of an ASCII letter; c | 0x20 equals a given lower-case letter only
// for that letter in either case.
static inline int lower(int c) {
    return c < 0 ? c : (c | 0x20);
}

bool scanToken(TextCursor& c, const char** token, size_t* length) {
    skipSpace(c);
    if (c.position == c.end)
        return false;
    const char* start = c.position;
    const char* p = start;
    while (p < c.end && !isScanSpace(*p))
        ++p;
    c.position = p;
    *token = start;
    *length = size_t(p - start);
    return true;
}

bool scanInt(TextCursor& c, int32_t* value) {
    skipSpace(c);
    const char* p = c.position;
    if (p == c.end)
        return false;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    const char* digits = p;
    // Magnitude saturates just above the long range, like strtol.
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    uint64_t magnitude = 0;
    while (p < c.end && isDigit(*p)) {
        const unsigned d = unsigned(*p - '0');
        if (magnitude > (limit - d) / 10)
            magnitude = limit;
        else
            magnitude = magnitude * 10 + d;
        ++p;
    }
    c.position = p;
    if (p == digits)
        return false;
    const uint64_t bits = negative ? uint64_t(0) - magnitude : magnitude;
    *value = int32_t(uint32_t(bits)); // the library stores a long into an int
    return true;
}

// The exact conversion for the common short decimal: at most 2^24 as an integer
// mantissa and a power of ten up to 10^10 are both exact floats, so one
// division or multiplication rounds once and equals strtof.
static bool convertShortDecimal(const char* s, const char* end, float* value) {
    static const float powers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                   1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    bool negative = false;
    if (s < end && (*s == '-' || *s == '+')) {
        negative = *s == '-';
        ++s;
    }
    uint32_t mantissa = 0;
    int digits = 0;
    int scale = 0;
    bool afterDot = false;
    for (; s < end; ++s) {
        if (isDigit(*s)) {
            mantissa = mantissa * 10 + uint32_t(*s - '0');
            if (mantissa > (1u << 24))
                return false;
            ++digits;
            if (afterDot)
                --scale;
        } else if (*s == '.') {
            afterDot = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (s < end) { // an exponent
        ++s;
        bool negativeExponent = false;
        if (s < end && (*s == '-' || *s == '+')) {
            negativeExponent = *s == '-';
            ++s;
        }
        int exponent = 0;
        for (; s < end; ++s) {
            exponent = exponent * 10 + (*s - '0');
            if (exponent > 100)
                return false;
        }
        scale += negativeExponent ? -exponent : exponent;
    }
    float result;
    if (mantissa == 0)
        result = 0.0f;
    else if (scale < -10 || scale > 10)
        return false;
    else if (scale < 0)
        result = float(mantissa) / powers[-scale];
    else
        result = float(mantissa) * powers[scale];
    *value = negative ? -result : result;
    return true;
}

static bool convertWithStrtof(const char* s, const char* end, float* value) {
    char local[64];
    std::string longer;
    const size_t length = size_t(end - s);
    const char* text;
    if (length < sizeof local) {
        std::memcpy(local, s, length);
        local[length] = '\0';
        text = local;
    } else {
        longer.assign(s, length);
        text = longer.c_str();
    }
    char* stop = nullptr;
    const float result = std::strtof(text, &stop);
    if (stop == text)
        return false;
    *value = result;
    return true;
}

// Matches the rest of a word such as "an" after "n", one character at a time;
// a wrong character is consumed, as the library does.
static bool matchRest(const char*& p, const char* end, const char* rest) {
    for (; *rest; ++rest) {
        if (p == end)
            return false;
        if (lower((unsigned char)*p++) != *rest)
            return false;
    }
    return true;
}

bool scanFloat(TextCursor& c, float* value) {
    skipSpace(c);
    const char* p = c.position;
    const char* const end = c.end;
    if (p == end)
        return false;
    const char* const start = p;
    int ch = (unsigned char)*p++;
    size_t signLength = 0;
    if (ch == '-' || ch == '+') {
        signLength = 1;
        if (p == end) {
            c.position = p;
            return false;
        }
        ch = (unsigned char)*p++;
    }

    if (lower(ch) == 'n') {
        const bool ok = matchRest(p, end, "an");
        c.position = p;
        return ok && convertWithStrtof(start, p, value);
    }
    if (lower(ch) == 'i') {
        if (!matchRest(p, end, "nf")) {
            c.position = p;
            return false;
        }
        if (p < end) {
            if (lower((unsigned char)*p) == 'i') {
                ++p;
                if (!matchRest(p, end, "nity")) {
                    c.position = p;
                    return false;
                }
            }
        }
        c.position = p;
        return convertWithStrtof(start, p, value);
    }

    bool hexadecimal = false;
    bool gotDigit = false;
    bool gotDot = false;
    bool gotExponent = false;
    int exponentChar = 'e';
    int last = 0; // the last character taken, exponent marks in lower case
    if (ch == '0') {
        last = ch;
        ch = p < end ? (unsigned char)*p++ : -1;
        if (lower(ch) == 'x') {
            last = 'x';
            hexadecimal = true;
            exponentChar = 'p';
            ch = p < end ? (unsigned char)*p++ : -1;
        } else {
            gotDigit = true;
        }
    }
    for (;;) {
        if (isDigit(ch)) {
            gotDigit = true;
        } else if (!gotExponent && hexadecimal && isHexDigit(ch)) {
            gotDigit = true;
        } else if (gotExponent && last == exponentChar && (ch == '-' || ch == '+')) {
        } else if (gotDigit && !gotExponent && lower(ch) == exponentChar) {
            gotExponent = gotDot = true;
            ch = exponentChar;
        } else if (!gotDot && ch == '.') {
            gotDot = true;
        } else {
            if (ch >= 0)
                --p; // the character is not part of the number: put it back
            break;
        }
        last = ch;
        if (p == end)
            break;
        ch = (unsigned char)*p++;
    }
    c.position = p;
    const size_t taken = size_t(p - start);
    if (taken == signLength || (hexadecimal && taken == 2 + signLength))
        return false;
    if (!hexadecimal && convertShortDecimal(start, p, value))
        return true;
    return convertWithStrtof(start, p, value);
}

bool scanLiteral(TextCursor& c, char literal) {
    if (c.position < c.end && *c.position == literal) {
        ++c.position;
        return true;
    }
    return false;
}

void discardLine(TextCursor& c) {
    const size_t available = size_t(c.end - c.position) < 99 ? size_t(c.end - c.position) : 99;
    const void* lineEnd = std::memchr(c.position, '\n', available);
    c.position = lineEnd ? static_cast<const char*>(lineEnd) + 1 : c.position + available;
}
