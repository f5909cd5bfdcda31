// The bitmap reader against the BMP Suite collection: good files must give the
// pixels ImageMagick decodes from them, bad ones must be refused cleanly.
#include "assets/bmp_reader.h"
#include "bmp_suite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Bad files that decode all the same: an index past the colour table is drawn
// black, and the resolution fields play no part in decoding.
const std::set<std::string> BAD_BUT_DECODED = {"b/pal8badindex.bmp", "b/baddens1.bmp",
                                               "b/baddens2.bmp"};

uint32_t infoHeaderSize(const std::vector<uint8_t>& data) {
    const size_t at = data.size() >= 2 && data[0] == 'B' && data[1] == 'M' ? 14 : 0;
    if (data.size() < at + 4)
        return 0;
    return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
           uint32_t(data[at + 3]) << 24;
}

// The picture as ImageMagick decodes it: RGB rows, top row first.
std::vector<uint8_t> imageMagickPixels(const std::string& path) {
    const std::string command = "convert '" + path + "' -depth 8 rgb:- 2>/dev/null";
    std::vector<uint8_t> bytes;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    pclose(pipe);
    return bytes;
}

// Largest per-channel difference, comparing the bottom-up image to top-down rows.
int largestDifference(const ImageRGB& image, const std::vector<uint8_t>& topDown) {
    const size_t rowBytes = size_t(image.width) * 3;
    int largest = 0;
    for (int32_t row = 0; row < image.height; ++row) {
        const uint8_t* ours = image.pixels + size_t(row) * rowBytes;
        const uint8_t* theirs = topDown.data() + size_t(image.height - 1 - row) * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i)
            largest = std::max(largest, std::abs(int(ours[i]) - int(theirs[i])));
    }
    return largest;
}

struct Tally {
    int passed = 0;
    int total = 0;
};

TEST(BmpSuite, FilesDecodeLikeImageMagickOrAreRefusedCleanly) {
    const std::vector<std::string> files = bmpSuiteFiles();
    ASSERT_EQ(files.size(), 88u) << "the BMP Suite files belong in " << BMP_SUITE;

    std::map<char, Tally> tally;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const char kind = file[0];
        const std::vector<uint8_t> data = readBinaryFile(BMP_SUITE + "/" + file);
        ASSERT_FALSE(data.empty());
        const uint32_t headerSize = infoHeaderSize(data);
        // An exact-size heap copy, so a read past the end is caught under ASan.
        uint8_t* copy = static_cast<uint8_t*>(std::malloc(data.size()));
        std::memcpy(copy, data.data(), data.size());
        BitmapFailure failure = BITMAP_OK;
        ImageRGB* image = decodeBitmap(copy, data.size(), &failure);
        std::free(copy);
        Tally& count = tally[kind];
        ++count.total;

        bool passed = false;
        if (kind == 'g' && (headerSize == 12 || headerSize == 40)) {
            // 5- and 6-bit channels may be widened by rounding or by repeating bits.
            const int tolerance = file.find("rgb16") != std::string::npos ? 1 : 0;
            EXPECT_NE(image, nullptr) << bitmapFailureMessage(failure);
            if (image) {
                const std::vector<uint8_t> expected = imageMagickPixels(BMP_SUITE + "/" + file);
                ASSERT_EQ(expected.size(), size_t(image->width) * image->height * 3)
                    << "ImageMagick's convert is needed to decode the reference pixels";
                const int difference = largestDifference(*image, expected);
                EXPECT_LE(difference, tolerance);
                passed = difference <= tolerance;
            }
        } else if (kind == 'g') {
            EXPECT_EQ(failure, BITMAP_UNKNOWN_FORMAT);
            passed = failure == BITMAP_UNKNOWN_FORMAT;
        } else if (kind == 'b' && BAD_BUT_DECODED.count(file)) {
            EXPECT_NE(image, nullptr) << bitmapFailureMessage(failure);
            passed = image != nullptr;
        } else if (kind == 'b') {
            EXPECT_EQ(image, nullptr);
            EXPECT_NE(failure, BITMAP_OK);
            passed = image == nullptr && failure != BITMAP_OK;
        } else {
            passed = true; // questionable files may go either way, as long as nothing breaks
        }
        count.passed += passed;
        if (kind == 'q')
            std::printf("  %-28s %s\n", file.c_str(),
                        image ? "decoded" : bitmapFailureMessage(failure));
        freeImage(image);
    }
    for (const auto& [kind, count] : tally)
        std::printf("bmpsuite %c/: %d of %d as expected\n", kind, count.passed, count.total);
    EXPECT_EQ(tally['g'].total, 27);
    EXPECT_EQ(tally['b'].total, 20);
}

} // namespace
