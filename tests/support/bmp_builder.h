// Builds small bitmap files in memory for the reader's tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

struct TestBitmap {
    bool fileHeader = true;
    uint32_t headerSize = 40; // 12 or 40 (others are written as 40 with this size)
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    uint32_t resolution = 2835;   // pixels per metre, both ways
    uint32_t fileSizeField = 0;   // what the file header claims; 0 for the true size
    std::vector<uint8_t> extra;   // bytes after the header, e.g. bit-field masks
    std::vector<uint8_t> palette; // written as given (3- or 4-byte entries)
    std::vector<uint8_t> pixels;  // the stored pixel array
};

inline void putLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

inline std::vector<uint8_t> buildBitmap(const TestBitmap& b) {
    std::vector<uint8_t> info;
    putLE(info, b.headerSize, 4);
    if (b.headerSize == 12) {
        putLE(info, uint32_t(b.width), 2);
        putLE(info, uint32_t(b.height), 2);
        putLE(info, 1, 2);
        putLE(info, b.bits, 2);
    } else {
        putLE(info, uint32_t(b.width), 4);
        putLE(info, uint32_t(b.height), 4);
        putLE(info, 1, 2);
        putLE(info, b.bits, 2);
        putLE(info, b.compression, 4);
        putLE(info, 0, 4); // image size
        putLE(info, b.resolution, 4);
        putLE(info, b.resolution, 4);
        putLE(info, b.coloursUsed, 4);
        putLE(info, 0, 4);
        while (info.size() < b.headerSize)
            info.push_back(0);
    }
    info.insert(info.end(), b.extra.begin(), b.extra.end());
    info.insert(info.end(), b.palette.begin(), b.palette.end());

    std::vector<uint8_t> file;
    if (b.fileHeader) {
        const uint32_t offset = uint32_t(14 + info.size());
        file.push_back('B');
        file.push_back('M');
        putLE(file, b.fileSizeField ? b.fileSizeField : uint32_t(offset + b.pixels.size()), 4);
        putLE(file, 0, 4);
        putLE(file, offset, 4);
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), b.pixels.begin(), b.pixels.end());
    return file;
}

// Stored 24-bit rows from top-to-bottom-agnostic RGB triples: `rgb` is given in
// stored row order, each row `width` pixels; rows are padded to 4 bytes.
inline std::vector<uint8_t> storedRows24(const std::vector<uint8_t>& rgb, int width, int rows) {
    std::vector<uint8_t> out;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgb[size_t(y * width + x) * 3];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        while (out.size() % 4)
            out.push_back(0);
    }
    return out;
}
