// The bitmap reader on hand-made files: layouts, boundaries and damaged input.
#include "assets/bmp_reader.h"

#include "bmp_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Decodes from a heap block of exactly `size` bytes, so AddressSanitizer sees
// any read past the end.
ImageRGB* decodeExact(const std::vector<uint8_t>& file, size_t size, BitmapFailure* failure) {
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (size)
        std::memcpy(copy, file.data(), size);
    ImageRGB* image = decodeBitmap(copy, size, failure);
    std::free(copy);
    return image;
}

std::vector<uint8_t> imageBytes(const ImageRGB* image) {
    return std::vector<uint8_t>(image->pixels,
                                image->pixels + size_t(image->width) * image->height * 3);
}

// Palette of `count` 4-byte entries; entry i is red i, green 255 - i, blue 7.
std::vector<uint8_t> rampPalette(int count, int entrySize = 4) {
    std::vector<uint8_t> palette;
    for (int i = 0; i < count; ++i) {
        palette.push_back(7);
        palette.push_back(uint8_t(255 - i));
        palette.push_back(uint8_t(i));
        if (entrySize == 4)
            palette.push_back(0);
    }
    return palette;
}

TEST(BmpReader, RowsArePackedForWidthsOneToFour) {
    for (int width = 1; width <= 4; ++width) {
        SCOPED_TRACE("width " + std::to_string(width));
        const int rows = 3;
        std::vector<uint8_t> rgb;
        for (int i = 0; i < width * rows * 3; ++i)
            rgb.push_back(uint8_t(i * 11 + 1));
        TestBitmap b;
        b.width = width;
        b.height = rows;
        b.pixels = storedRows24(rgb, width, rows);
        b.resolution = 0xFFFFFFFFu >> ((width - 1) * 10); // plays no part, however large
        EXPECT_EQ(b.pixels.size(), size_t(((width * 3 + 3) / 4) * 4 * rows));
        const std::vector<uint8_t> file = buildBitmap(b);
        BitmapFailure failure;
        ImageRGB* image = decodeBitmap(file.data(), file.size(), &failure);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, rows);
        EXPECT_EQ(imageBytes(image), rgb);
        freeImage(image);
    }
}

TEST(BmpReader, FirstPixelIsBottomLeftAlsoForTopDownFiles) {
    // Stored bottom-up: bottom row red, green; top row blue, white.
    const std::vector<uint8_t> bottomUp = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const std::vector<uint8_t> topDown = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
    for (int flip = 0; flip < 2; ++flip) {
        SCOPED_TRACE(flip ? "top-down" : "bottom-up");
        TestBitmap b;
        b.width = 2;
        b.height = flip ? -2 : 2;
        b.pixels = storedRows24(flip ? topDown : bottomUp, 2, 2);
        const std::vector<uint8_t> file = buildBitmap(b);
        BitmapFailure failure;
        ImageRGB* image = decodeBitmap(file.data(), file.size(), &failure);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(imageBytes(image), bottomUp);
        freeImage(image);
    }
}

TEST(BmpReader, ColoursUsedSetsTheTableAndTheBarePixelOffset) {
    struct Case {
        uint32_t coloursUsed;
        size_t entries;
    };
    for (const Case& k : {Case{0, 256}, Case{16, 16}}) {
        SCOPED_TRACE("colours used " + std::to_string(k.coloursUsed));
        TestBitmap b;
        b.fileHeader = false;
        b.bits = 8;
        b.width = 4;
        b.coloursUsed = k.coloursUsed;
        b.palette = rampPalette(int(k.entries));
        b.pixels = {3, 15, 0, 9};
        const std::vector<uint8_t> file = buildBitmap(b);
        ASSERT_EQ(file.size(), 40 + 4 * k.entries + 4);
        BitmapFailure failure;
        ImageRGB* image = decodeBitmap(file.data(), file.size(), &failure);
        ASSERT_NE(image, nullptr);
        const std::vector<uint8_t> expected = {3, 252, 7, 15, 240, 7, 0, 255, 7, 9, 246, 7};
        EXPECT_EQ(imageBytes(image), expected);
        freeImage(image);
    }
}

TEST(BmpReader, SmallHeaderReadsThreeByteEntries) {
    for (int withFileHeader = 0; withFileHeader < 2; ++withFileHeader) {
        SCOPED_TRACE(withFileHeader ? "with file header" : "bare");
        TestBitmap b;
        b.fileHeader = withFileHeader;
        b.headerSize = 12;
        b.bits = 8;
        b.width = 3;
        b.palette = rampPalette(256, 3);
        b.pixels = {200, 1, 255, 0};
        const std::vector<uint8_t> file = buildBitmap(b);
        ASSERT_EQ(file.size(), (withFileHeader ? 14u : 0u) + 12 + 768 + 4);
        BitmapFailure failure;
        BitmapFacts facts;
        ImageRGB* image = decodeBitmap(file.data(), file.size(), &failure, &facts);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(facts.headerSize, 12u);
        const std::vector<uint8_t> expected = {200, 55, 7, 1, 254, 7, 255, 0, 7};
        EXPECT_EQ(imageBytes(image), expected);
        freeImage(image);
    }
}

TEST(BmpReader, IndexedDepthsReadTheHighBitsFirstAndMissingEntriesAreBlack) {
    struct Case {
        uint16_t bits;
        std::vector<uint8_t> row;
        std::vector<int> indices;
    };
    const std::vector<Case> cases = {
        {1, {0xA0, 0, 0, 0}, {1, 0, 1}},
        {4, {0x1F, 0x20, 0, 0}, {1, 15, 2}},
        {8, {2, 200, 1, 0}, {2, 200, 1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("bits " + std::to_string(k.bits));
        TestBitmap b;
        b.bits = k.bits;
        b.width = 3;
        b.coloursUsed = 2; // indices 2 and up have no entry
        b.palette = rampPalette(2);
        b.pixels = k.row;
        const std::vector<uint8_t> file = buildBitmap(b);
        BitmapFailure failure;
        ImageRGB* image = decodeBitmap(file.data(), file.size(), &failure);
        ASSERT_NE(image, nullptr);
        std::vector<uint8_t> expected;
        for (int index : k.indices) {
            const bool present = index < 2;
            expected.push_back(present ? uint8_t(index) : 0);
            expected.push_back(present ? uint8_t(255 - index) : 0);
            expected.push_back(present ? 7 : 0);
        }
        EXPECT_EQ(imageBytes(image), expected);
        freeImage(image);
    }
}

TEST(BmpReader, SixteenAndThirtyTwoBitChannelsWidenByBitReplication) {
    struct Case {
        const char* name;
        uint16_t bits;
        uint32_t compression;
        std::vector<uint32_t> masks;
        std::vector<uint8_t> pixel;
        std::vector<uint8_t> rgb;
    };
    const std::vector<Case> cases = {
        // 5-5-5: red 31, green 1, blue 16.
        {"555", 16, 0, {}, {0x30, 0x7C, 0, 0}, {255, 8, 132}},
        // 5-6-5: red 1, green 63, blue 0.
        {"565", 16, 3, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x0F, 0, 0}, {8, 255, 0}},
        // 2-3-1 bits: red 2, green 5, blue 1.
        {"231", 16, 3, {0x30, 0x0E, 0x01}, {0x2B, 0, 0, 0}, {170, 182, 255}},
        {"bgrx", 32, 0, {}, {1, 2, 3, 4}, {3, 2, 1}},
        // 10-bit channels keep their top 8 bits.
        {"1010102",
         32,
         3,
         {0x3FF00000, 0x000FFC00, 0x000003FF},
         {0xFF, 0x03, 0, 0x3F},
         {252, 0, 255}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TestBitmap b;
        b.bits = k.bits;
        b.compression = k.compression;
        for (uint32_t mask : k.masks)
            putLE(b.extra, mask, 4);
        b.pixels = k.pixel;
        const std::vector<uint8_t> file = buildBitmap(b);
        BitmapFailure failure;
        ImageRGB* image = decodeBitmap(file.data(), file.size(), &failure);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(imageBytes(image), k.rgb);
        freeImage(image);
    }
}

TEST(BmpReader, UnusableBitFieldMasksAreRefused) {
    const std::vector<std::vector<uint32_t>> masks = {
        {0xFF00, 0x00FF, 0},        // a channel without bits
        {0xF800, 0x0FE0, 0x001F},   // overlapping
        {0xF000, 0x05E0, 0x001F},   // a gap inside a mask
        {0x1F0000, 0x07E0, 0x001F}, // outside 16 bits
    };
    for (const auto& set : masks) {
        SCOPED_TRACE(::testing::PrintToString(set));
        TestBitmap b;
        b.bits = 16;
        b.compression = 3;
        for (uint32_t mask : set)
            putLE(b.extra, mask, 4);
        b.pixels = {1, 2, 0, 0};
        const std::vector<uint8_t> file = buildBitmap(b);
        BitmapFailure failure;
        EXPECT_EQ(decodeBitmap(file.data(), file.size(), &failure), nullptr);
        EXPECT_EQ(failure, BITMAP_CONVERSION_ERROR);
    }
}

// A 4 x 3 RLE8 picture over a 4-entry palette.
TestBitmap rleBitmap(std::vector<uint8_t> stream, uint16_t bits = 8) {
    TestBitmap b;
    b.bits = bits;
    b.compression = bits == 8 ? 1 : 2;
    b.width = 4;
    b.height = 3;
    b.coloursUsed = 4;
    b.palette = rampPalette(4);
    b.pixels = std::move(stream);
    return b;
}

std::string indexRows(const ImageRGB* image) {
    std::string rows;
    for (int i = 0; i < image->width * image->height; ++i) {
        const uint8_t* p = image->pixels + i * 3;
        rows += (p[0] == 0 && p[1] == 0 && p[2] == 0) ? '.' : char('0' + p[0]);
        if (i % image->width == image->width - 1 && i + 1 < image->width * image->height)
            rows += '/';
    }
    return rows;
}

TEST(BmpReader, RunLengthStreamsStayInsideRowAndImage) {
    struct Case {
        const char* name;
        uint16_t bits;
        std::vector<uint8_t> stream;
        const char* rows; // bottom row first, '.' black; null when refused
    };
    const std::vector<Case> cases = {
        {"runs and lines", 8, {2, 1, 2, 3, 0, 0, 4, 2, 0, 0, 1, 3, 0, 1}, "1133/2222/3..."},
        {"literal with pad", 8, {0, 3, 1, 2, 3, 0, 1, 1, 0, 1}, "1231/..../...."},
        {"delta", 8, {0, 2, 1, 1, 2, 3, 0, 1}, "..../.33./...."},
        {"ends early", 8, {3, 2}, "222./..../...."},
        {"cut inside a literal", 8, {0, 4, 1, 2}, "12../..../...."},
        {"run past the row", 8, {5, 1, 0, 1}, nullptr},
        {"literal past the row", 8, {1, 1, 0, 4, 1, 1, 1, 1, 0, 1}, nullptr},
        {"delta past the row", 8, {0, 2, 5, 0, 0, 1}, nullptr},
        {"delta past the top", 8, {0, 2, 0, 4, 0, 1}, nullptr},
        {"run above the top", 8, {0, 0, 0, 0, 0, 0, 1, 1}, nullptr},
        {"rle4 runs alternate", 4, {3, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 1}, "121./312./...."},
        {"rle4 run past the row", 4, {5, 0x11, 0, 1}, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::vector<uint8_t> file = buildBitmap(rleBitmap(k.stream, k.bits));
        BitmapFailure failure;
        ImageRGB* image = decodeExact(file, file.size(), &failure);
        if (!k.rows) {
            EXPECT_EQ(image, nullptr);
            EXPECT_EQ(failure, BITMAP_CONVERSION_ERROR);
            continue;
        }
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(indexRows(image), k.rows);
        freeImage(image);
    }
}

TEST(BmpReader, ImpossibleHeadersAreRefusedWithTheirMessage) {
    struct Case {
        const char* name;
        TestBitmap bitmap;
        BitmapFailure failure;
    };
    auto with = [](auto change) {
        TestBitmap b;
        b.pixels = {1, 2, 3, 0};
        change(b);
        return b;
    };
    const std::vector<Case> cases = {
        {"zero width", with([](TestBitmap& b) { b.width = 0; }), BITMAP_CONVERSION_ERROR},
        {"zero height", with([](TestBitmap& b) { b.height = 0; }), BITMAP_CONVERSION_ERROR},
        {"negative width", with([](TestBitmap& b) { b.width = -1; }), BITMAP_CONVERSION_ERROR},
        {"wider than 32768", with([](TestBitmap& b) { b.width = 32769; }), BITMAP_CONVERSION_ERROR},
        {"most negative height", with([](TestBitmap& b) { b.height = INT32_MIN; }),
         BITMAP_CONVERSION_ERROR},
        {"largest sides, no pixels", with([](TestBitmap& b) { b.width = b.height = 32768; }),
         BITMAP_CONVERSION_ERROR},
        {"2 bits", with([](TestBitmap& b) { b.bits = 2; }), BITMAP_CONVERSION_ERROR},
        {"rle8 at 24 bits", with([](TestBitmap& b) { b.compression = 1; }),
         BITMAP_CONVERSION_ERROR},
        {"jpeg", with([](TestBitmap& b) { b.compression = 4; }), BITMAP_CONVERSION_ERROR},
        {"108-byte header", with([](TestBitmap& b) { b.headerSize = 108; }), BITMAP_UNKNOWN_FORMAT},
        {"bare 124-byte header",
         with([](TestBitmap& b) { b.headerSize = 124, b.fileHeader = false; }),
         BITMAP_UNKNOWN_FORMAT},
        {"124-byte header claiming a larger file", with([](TestBitmap& b) {
             b.headerSize = 124;
             b.fileSizeField = 0xFFFFFFFF;
         }),
         BITMAP_UNKNOWN_FORMAT},
        {"file larger than its header claims", with([](TestBitmap& b) { b.fileSizeField = 9999; }),
         BITMAP_CONVERSION_ERROR},
        {"run-length picture of 3 GB", with([](TestBitmap& b) {
             b = rleBitmap({0, 1});
             b.width = b.height = 32768;
         }),
         BITMAP_CONVERSION_ERROR},
        {"palette larger than the depth", with([](TestBitmap& b) {
             b.bits = 1;
             b.coloursUsed = 3;
             b.palette = rampPalette(3);
         }),
         BITMAP_CONVERSION_ERROR},
        {"rle upside down", with([](TestBitmap& b) {
             b = rleBitmap({0, 1});
             b.height = -3;
         }),
         BITMAP_CONVERSION_ERROR},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::vector<uint8_t> file = buildBitmap(k.bitmap);
        BitmapFailure failure = BITMAP_OK;
        EXPECT_EQ(decodeExact(file, file.size(), &failure), nullptr);
        EXPECT_EQ(failure, k.failure);
    }
    const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    BitmapFailure failure = BITMAP_OK;
    EXPECT_EQ(decodeExact(text, text.size(), &failure), nullptr);
    EXPECT_EQ(failure, BITMAP_UNKNOWN_FORMAT);
}

TEST(BmpReader, EveryCutOfASmallFileFailsCleanly) {
    TestBitmap palette8;
    palette8.bits = 8;
    palette8.width = 3;
    palette8.height = 2;
    palette8.coloursUsed = 4;
    palette8.palette = rampPalette(4);
    palette8.pixels = {0, 1, 2, 0, 3, 2, 1, 0};
    TestBitmap small = palette8;
    small.headerSize = 12;
    small.coloursUsed = 0;
    small.palette = rampPalette(256, 3);
    TestBitmap bare = palette8;
    bare.fileHeader = false;
    TestBitmap masks;
    masks.bits = 16;
    masks.compression = 3;
    masks.width = 2;
    for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu})
        putLE(masks.extra, mask, 4);
    masks.pixels = {1, 2, 3, 4};
    TestBitmap rgb;
    rgb.width = 2;
    rgb.height = 2;
    rgb.pixels = storedRows24({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 2, 2);

    const std::vector<std::pair<const char*, TestBitmap>> files = {
        {"8 bits", palette8}, {"12-byte header", small},
        {"bare", bare},       {"bit fields", masks},
        {"24 bits", rgb},     {"rle8", rleBitmap({2, 1, 0, 0, 4, 2, 0, 1})},
    };
    for (const auto& [name, bitmap] : files) {
        std::vector<uint8_t> file = buildBitmap(bitmap);
        const bool runLength = bitmap.compression == 1;
        for (size_t cut = 0; cut < file.size(); ++cut) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
            // Also as if the file header had been written for the short file,
            // so the checks behind the file size are reached too.
            for (int honestSize = 0; honestSize < 2; ++honestSize) {
                std::vector<uint8_t> copy = file;
                if (honestSize && bitmap.fileHeader && cut >= 6)
                    for (int i = 0; i < 4; ++i)
                        copy[2 + i] = uint8_t(cut >> (8 * i));
                BitmapFailure failure = BITMAP_OK;
                ImageRGB* image = decodeExact(copy, cut, &failure);
                if (runLength && image) { // a shortened stream may still decode
                    freeImage(image);
                    continue;
                }
                EXPECT_EQ(image, nullptr);
                EXPECT_EQ(failure, BITMAP_CONVERSION_ERROR);
            }
        }
        BitmapFailure failure = BITMAP_OK;
        ImageRGB* whole = decodeExact(file, file.size(), &failure);
        EXPECT_NE(whole, nullptr) << name;
        freeImage(whole);
    }
}

// Runs loadBitmapImage and returns what it reported on standard error.
std::string reportOf(const std::string& path, ImageRGB** image) {
    testing::internal::CaptureStderr();
    *image = loadBitmapImage(path.c_str());
    return testing::internal::GetCapturedStderr();
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

TEST(BmpReader, EachFailedLoadShowsExactlyOneMessage) {
    char folder[] = "/tmp/letterbot_bmpXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    TestBitmap good;
    good.pixels = {1, 2, 3, 0};
    TestBitmap wide = good;
    wide.width = 40000;
    TestBitmap v4 = good;
    v4.headerSize = 108;
    std::vector<uint8_t> shortFile = buildBitmap(good);
    shortFile.resize(30);
    writeFile(dir + "/empty.bmp", {});
    writeFile(dir + "/wide.bmp", buildBitmap(wide));
    writeFile(dir + "/v4.bmp", buildBitmap(v4));
    writeFile(dir + "/short.bmp", shortFile);
    writeFile(dir + "/good.bmp", buildBitmap(good));

    struct Case {
        std::string path;
        std::string message;
    };
    const std::vector<Case> cases = {
        {dir + "/missing.bmp", "Error: Failed to open DIB file " + dir + "/missing.bmp.\n"},
        {dir + "/empty.bmp", "Error: Failed to open DIB file " + dir + "/empty.bmp.\n"},
        {dir, "Error: Failed to open DIB file " + dir + ".\n"},
        {dir + "/wide.bmp", "Error: Image file conversion error.\n"},
        {dir + "/v4.bmp", "Error: Unknown DIB file format.\n"},
        {dir + "/short.bmp", "Error: Image file conversion error.\n"},
        {dir + "/good.bmp", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        ImageRGB* image = nullptr;
        EXPECT_EQ(reportOf(k.path, &image), k.message);
        EXPECT_EQ(image != nullptr, k.message.empty());
        freeImage(image);
    }

    // The open-failure text is cut to 255 characters, like its fixed buffer.
    const std::string longPath = dir + "/" + std::string(300, 'x');
    BitmapLoad load;
    testing::internal::CaptureStderr();
    loadBitmapFile(longPath.c_str(), &load);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string(load.report).size(), 255u);

    for (const char* name : {"empty.bmp", "wide.bmp", "v4.bmp", "short.bmp", "good.bmp"})
        std::remove((dir + "/" + name).c_str());
    rmdir(folder);
}

} // namespace
