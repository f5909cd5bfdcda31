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

// The first character at or below the blank from p on, or `end`. Token
// characters are mostly above it; white space and the other control
// characters, NUL among them, are at or below it. While eight characters
// remain, a whole word is tested at once: it holds a byte below 0x21 exactly
// when (word - 0x21 in every byte) & ~word has the top bit of some byte set.
static const char* skipAboveBlank(const char* p, const char* end) {
    const uint64_t eachByte = 0x0101010101010101u;
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if ((word - 0x21 * eachByte) & ~word & (0x80 * eachByte))
            break;
        p += 8;
    }
    while (p < end && (unsigned char)*p > ' ')
        ++p;
    return p;
}

bool scanTokenString(TextCursor& c, const char** token, size_t* length, size_t* stringLength) {
    skipSpace(c);
    if (c.position == c.end)
        return false;
    const char* start = c.position;
    const char* p = start;
    const char* nul = nullptr;
    for (;;) {
        p = skipAboveBlank(p, c.end);
        if (p == c.end || isScanSpace(*p))
            break;
        if (*p == '\0' && !nul)
            nul = p;
        ++p;
    }
    c.position = p;
    *token = start;
    *length = size_t(p - start);
    *stringLength = size_t((nul ? nul : p) - start);
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
    // Eighteen digits stay below 10^18, far inside 64 bits: only longer
    // numbers need the saturating loop.
    const char* plain = size_t(c.end - p) > 18 ? p + 18 : c.end;
    uint64_t magnitude = 0;
    while (p < plain && isDigit(*p))
        magnitude = magnitude * 10 + unsigned(*p++ - '0');
    // Magnitude saturates just above the long range, like strtol.
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
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

// The exact conversion of a plain decimal, mantissa / 10^fractionDigits, for
// mantissas up to 2^53 and up to 22 fraction digits: both are exact doubles,
// so the quotient is the true value rounded once, and rounding it on to float
// gives what strtof gives unless the quotient lies exactly halfway between two
// floats, every such midpoint being a double too. That case (the 29 bits below
// a float's 23 are 1 and then zeros) is false, and the caller asks strtof.
static bool convertPlainDecimal(uint64_t mantissa, int fractionDigits, bool negative,
                                float* value) {
    static const double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (mantissa > (uint64_t(1) << 53) || fractionDigits > 22)
        return false;
    const double quotient = double(mantissa) / powers[fractionDigits];
    uint64_t bits;
    std::memcpy(&bits, &quotient, sizeof bits);
    const uint64_t below = (uint64_t(1) << 29) - 1;
    if ((bits & below) == (uint64_t(1) << 28))
        return false;
    const float result = float(quotient);
    *value = negative ? -result : result;
    return true;
}

// strtof wants a terminated string; numbers are short, so the copy is too.
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

// The common number of a model file, such as "-12.3456": a sign, digits with
// at most one point, and then a character that cannot go on with a number
// (not a digit, point, exponent mark or hexadecimal 'x'). The library takes
// exactly those characters. False, with nothing taken, for anything else,
// which the full scan below reads.
static bool scanPlainDecimal(TextCursor& c, float* value) {
    const char* const start = c.position;
    const char* const end = c.end;
    const char* p = start;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    // Up to 19 digits stay below 10^19, inside 64 bits; the mantissa of a
    // longer number is not used.
    uint64_t mantissa = 0;
    const char* digits = p;
    while (p < end && isDigit(*p))
        mantissa = mantissa * 10 + unsigned(*p++ - '0');
    size_t digitCount = size_t(p - digits);
    size_t fractionDigits = 0;
    if (p < end && *p == '.') {
        digits = ++p;
        while (p < end && isDigit(*p))
            mantissa = mantissa * 10 + unsigned(*p++ - '0');
        fractionDigits = size_t(p - digits);
        digitCount += fractionDigits;
    }
    if (digitCount == 0)
        return false;
    if (p < end &&
        (*p == '.' || lower((unsigned char)*p) == 'e' || lower((unsigned char)*p) == 'x'))
        return false;
    c.position = p;
    if (digitCount <= 19 && convertPlainDecimal(mantissa, int(fractionDigits), negative, value))
        return true;
    return convertWithStrtof(start, p, value);
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
    if (scanPlainDecimal(c, value))
        return true;
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
    return convertWithStrtof(start, p, value);
}

void discardLine(TextCursor& c) {
    const size_t available = size_t(c.end - c.position) < 99 ? size_t(c.end - c.position) : 99;
    const void* lineEnd = std::memchr(c.position, '\n', available);
    c.position = lineEnd ? static_cast<const char*>(lineEnd) + 1 : c.position + available;
}
