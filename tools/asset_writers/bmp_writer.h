// Windows bitmaps with a 14-byte file header and a 40-byte info header, bottom
// row first: 24-bit uncompressed, or 8-bit palette images run-length encoded.
#pragma once

#include <cstdint>
#include <vector>

// Pixels as red, green, blue bytes, rows bottom first, no padding.
struct Image {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

// 24 bits per pixel: rows of blue, green, red padded to four bytes.
std::vector<uint8_t> bmpBytes(const Image& image);

// A palette image: one palette index per pixel, rows bottom first.
struct PaletteImage {
    int width;
    int height;
    std::vector<uint8_t> indices;
    std::vector<uint8_t> paletteRgb; // red, green, blue per entry, at most 256 entries
};

// 8 bits per pixel, RLE8: runs of one index as (count, index), stretches of
// three or more differing indices as literal runs, and a colour table with
// only the entries the palette has.
std::vector<uint8_t> rle8BmpBytes(const PaletteImage& image);
