// The bitmap reader against the BMP Suite collection: good files must match
// their reference pictures, bad ones must be refused cleanly.
#include "assets/bmp_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string SUITE = std::string(LETTERBOT_SHARED_DIR) + "/testdata/bmpsuite";

struct SuiteEntry {
    std::string file; // e.g. "g/pal8.bmp"
    int headerSize;
    std::string reference; // first listed reference, "-" for none
};

std::vector<SuiteEntry> readIndex() {
    std::vector<SuiteEntry> entries;
    std::ifstream in(SUITE + "/references.tsv");
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (fields.size() < 8)
            continue;
        const std::string reference = fields[7].substr(0, fields[7].find(';'));
        entries.push_back({fields[0], std::atoi(fields[2].c_str()), reference});
    }
    return entries;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The reference picture as RGB rows, top row first, through ImageMagick.
std::vector<uint8_t> referencePixels(const std::string& png) {
    const std::string command = "convert '" + png + "' -depth 8 rgb:- 2>/dev/null";
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

TEST(BmpSuite, FilesDecodeToTheirReferencesOrAreRefusedCleanly) {
    const std::vector<SuiteEntry> entries = readIndex();
    ASSERT_GE(entries.size(), 90u) << "cannot read " << SUITE << "/references.tsv";
    ASSERT_FALSE(referencePixels(SUITE + "/ref/pal1.png").empty())
        << "ImageMagick's convert is needed to read the reference pictures";

    std::map<char, Tally> tally;
    for (const SuiteEntry& entry : entries) {
        SCOPED_TRACE(entry.file);
        const char kind = entry.file[0];
        const std::vector<uint8_t> data = readFile(SUITE + "/" + entry.file);
        ASSERT_FALSE(data.empty());
        // An exact-size heap copy, so a read past the end is caught under ASan.
        uint8_t* copy = static_cast<uint8_t*>(std::malloc(data.size()));
        std::memcpy(copy, data.data(), data.size());
        BitmapFailure failure = BITMAP_OK;
        ImageRGB* image = decodeBitmap(copy, data.size(), &failure);
        std::free(copy);
        Tally& count = tally[kind];
        ++count.total;

        bool passed = false;
        if (kind == 'g' && (entry.headerSize == 12 || entry.headerSize == 40)) {
            std::string reference = entry.reference;
            if (entry.file == "g/pal8nonsquare.bmp")
                reference = "pal8nonsquare-e.png"; // the stored grid, not the stretched view
            const int tolerance = entry.file.find("rgb16") != std::string::npos ? 1 : 0;
            EXPECT_NE(image, nullptr) << bitmapFailureMessage(failure);
            if (image) {
                const std::vector<uint8_t> expected = referencePixels(SUITE + "/ref/" + reference);
                ASSERT_EQ(expected.size(), size_t(image->width) * image->height * 3);
                const int difference = largestDifference(*image, expected);
                EXPECT_LE(difference, tolerance);
                passed = difference <= tolerance;
            }
        } else if (kind == 'g') {
            EXPECT_EQ(failure, BITMAP_UNKNOWN_FORMAT);
            passed = failure == BITMAP_UNKNOWN_FORMAT;
        } else if (kind == 'b' && entry.file == "b/pal8badindex.bmp") {
            // Indices past the table are drawn black, so this one decodes.
            EXPECT_NE(image, nullptr);
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
            std::printf("  %-28s %s\n", entry.file.c_str(),
                        image ? "decoded" : bitmapFailureMessage(failure));
        freeImage(image);
    }
    for (const auto& [kind, count] : tally)
        std::printf("bmpsuite %c/: %d of %d as expected\n", kind, count.passed, count.total);
    EXPECT_EQ(tally['g'].total, 27);
    EXPECT_EQ(tally['b'].total, 20);
}

} // namespace
