// The cursor's conversions against the C library's own fscanf on the same text:
// the same result, the same value bits and the same number of characters taken.
#include "assets/text_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int assigned;
    uint32_t bits;
    long consumed;
};

// fscanf on a stream, so that the characters it takes count also when it fails.
Outcome libraryScan(const std::string& text, const char* format, bool isFloat) {
    Outcome out = {0, 0, 0};
    std::string copy = text.empty() ? std::string(" ") : text;
    std::FILE* file = fmemopen(&copy[0], text.empty() ? 0 : copy.size(), "r");
    if (!file) { // an empty stream: nothing to take
        return out;
    }
    float f = 0;
    int32_t i = 0;
    out.assigned = isFloat ? std::fscanf(file, format, &f) : std::fscanf(file, format, &i);
    if (out.assigned == 1)
        std::memcpy(&out.bits, isFloat ? static_cast<void*>(&f) : static_cast<void*>(&i), 4);
    else
        out.assigned = 0;
    out.consumed = std::ftell(file);
    std::fclose(file);
    return out;
}

Outcome cursorScan(const std::string& text, bool isFloat) {
    Outcome out = {0, 0, 0};
    TextCursor c = {text.data(), text.data() + text.size()};
    float f = 0;
    int32_t i = 0;
    const bool ok = isFloat ? scanFloat(c, &f) : scanInt(c, &i);
    if (ok) {
        out.assigned = 1;
        std::memcpy(&out.bits, isFloat ? static_cast<void*>(&f) : static_cast<void*>(&i), 4);
    }
    out.consumed = long(c.position - text.data());
    return out;
}

void expectSame(const std::string& text) {
    for (bool isFloat : {true, false}) {
        SCOPED_TRACE((isFloat ? "%f on \"" : "%d on \"") + text + "\"");
        const Outcome expected = libraryScan(text, isFloat ? "%f" : "%d", isFloat);
        const Outcome got = cursorScan(text, isFloat);
        EXPECT_EQ(got.assigned, expected.assigned);
        EXPECT_EQ(got.bits, expected.bits);
        EXPECT_EQ(got.consumed, expected.consumed);
    }
}

TEST(AseScan, NumbersAsTheLibraryReadsThem) {
    const char* cases[] = {
        "",
        " ",
        "\t\n",
        "0",
        "-0",
        "+0",
        "-0.0000",
        "1.0",
        "24.7863",
        "-24.7863",
        "0.5",
        ".5",
        "5.",
        ".",
        "-.",
        "+",
        "-",
        "1e5",
        "1E5",
        "1e-5",
        "1E+5",
        "1e",
        "1e+",
        "1e-x",
        "1.5.5",
        "1.5e3.2",
        "0x",
        "0x1p3",
        "0X1P-2",
        "0x.8",
        "0xg",
        "-0x1.8p1",
        "0x1e",
        "inf",
        "-INF",
        "infinity",
        "Infinity",
        "infin",
        "infix",
        "infx",
        "nan",
        "NaN",
        "-nan",
        "na",
        "nx",
        "n",
        "i",
        "abc",
        "12abc",
        "007",
        "2147483647",
        "2147483648",
        "-2147483648",
        "-2147483649",
        "4294967296",
        "9223372036854775807",
        "9223372036854775808",
        "-9223372036854775808",
        "-9223372036854775809",
        "99999999999999999999999",
        "16777216",
        "16777217",
        "33554433",
        "1e10",
        "1e11",
        "1e-10",
        "1e-11",
        "3.4028235e38",
        "3.5e38",
        "1e-45",
        "1e-46",
        "0.1234567",
        "123456789",
        "0.000000000000000000001",
        "1:",
        "0:",
        "-x",
        "+5",
        "+-5",
        "00000000000000000000001.5",
        "1.00000000000000000000",
        "4 5",
        "\t -3.25\n",
    };
    for (const char* text : cases)
        expectSame(text);
}

TEST(AseScan, RandomTextAsTheLibraryReadsIt) {
    std::mt19937 random(1234);
    const std::string alphabet = "0123456789+-.eEpPxXabfinANItTyY :\t\n";
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int length = int(random() % 12);
        for (int k = 0; k < length; ++k)
            text += alphabet[random() % alphabet.size()];
        expectSame(text);
    }
    // Ordinary decimals, where the fast conversion applies, bit for bit.
    for (int i = 0; i < 200000; ++i) {
        char text[64];
        const int digits = int(random() % 10);
        const double value = double(int64_t(random() % 2000000000) - 1000000000) /
                             std::pow(10.0, double(random() % 12));
        std::snprintf(text, sizeof text, "%.*f", digits, value);
        const Outcome expected = libraryScan(text, "%f", true);
        const Outcome got = cursorScan(text, true);
        ASSERT_EQ(got.bits, expected.bits) << text;
        ASSERT_EQ(got.consumed, expected.consumed) << text;
    }
}

// A plain decimal is taken whole and converted exactly as strtof converts it.
void expectAsStrtof(const std::string& text) {
    const float expected = std::strtof(text.c_str(), nullptr);
    uint32_t expectedBits;
    std::memcpy(&expectedBits, &expected, 4);
    const Outcome got = cursorScan(text, true);
    ASSERT_EQ(got.assigned, 1) << text;
    ASSERT_EQ(got.bits, expectedBits) << text;
    ASSERT_EQ(got.consumed, long(text.size())) << text;
}

TEST(AseScan, PlainDecimalsAsStrtofConvertsThem) {
    std::mt19937_64 random(99);
    // Up to 19 significant and 22 fraction digits, with leading zeros.
    for (int i = 0; i < 300000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const int whole = int(random() % 12);
        const int fraction = int(random() % 23);
        for (int k = 0; k < whole; ++k)
            text += char('0' + (k == 0 && random() % 4 ? 0 : random() % 10));
        if (fraction > 0 || whole == 0)
            text += '.';
        for (int k = 0; k < fraction || (whole == 0 && k == 0); ++k)
            text += char('0' + random() % 10);
        expectAsStrtof(text);
    }
    // Decimals next to the midpoints between neighbouring floats, where a
    // conversion that rounds twice would go wrong, at every precision.
    std::mt19937 small(7);
    std::uniform_real_distribution<float> magnitude(-20.0f, 40.0f);
    for (int i = 0; i < 20000; ++i) {
        const float f = std::pow(2.0f, magnitude(small));
        const double midpoint = (double(f) + double(std::nextafter(f, 2 * f))) / 2;
        for (int digits = 0; digits <= 22; ++digits) {
            char text[128];
            std::snprintf(text, sizeof text, "%.*f", digits, midpoint);
            expectAsStrtof(text);
        }
    }
    for (const char* text : {"16777217", "8388608.5", "0.00000000000000000000001",
                             "9007199254740993", "3.4028235677973366e38"})
        expectSame(text);
}

TEST(AseScan, TokensLiteralsAndLineDiscards) {
    const std::string text = "  *MESH_FACE\t 0:x\n";
    TextCursor c = {text.data(), text.data() + text.size()};
    const char* token;
    size_t length, stringLength;
    ASSERT_TRUE(scanTokenString(c, &token, &length, &stringLength));
    EXPECT_EQ(std::string(token, length), "*MESH_FACE");
    int32_t value = -1;
    EXPECT_TRUE(scanInt(c, &value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(scanLiteral(c, ':'));
    EXPECT_FALSE(scanLiteral(c, ':')); // a mismatch is left for the next read
    EXPECT_EQ(*c.position, 'x');
    discardLine(c);
    EXPECT_EQ(c.position, c.end);
    EXPECT_FALSE(scanTokenString(c, &token, &length, &stringLength));

    // A discard takes at most 99 characters, or up to and including the line end.
    const std::string longLine = std::string(150, 'a') + "\nb";
    TextCursor d = {longLine.data(), longLine.data() + longLine.size()};
    discardLine(d);
    EXPECT_EQ(d.position - longLine.data(), 99);
    discardLine(d);
    EXPECT_EQ(d.position - longLine.data(), 151);
    const std::string shortEnd = "abc";
    TextCursor e = {shortEnd.data(), shortEnd.data() + shortEnd.size()};
    discardLine(e);
    EXPECT_EQ(e.position, e.end);
}

} // namespace
