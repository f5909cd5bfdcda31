// 24-bit uncompressed Windows bitmaps: a 14-byte file header, a 40-byte info
// header and bottom-up rows of blue, green, red padded to four bytes.
#pragma once

#include <cstdint>
#include <vector>

// Pixels as red, green, blue bytes, rows bottom first, no padding.
struct Image {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

std::vector<uint8_t> bmpBytes(const Image& image);
