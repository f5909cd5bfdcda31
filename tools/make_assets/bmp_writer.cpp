// Encoding of an RGB image as a 24-bit bottom-up bitmap file.
#include "bmp_writer.h"

#include <cstddef>

static void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

static void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::vector<uint8_t> bmpBytes(const Image& image) {
    const uint32_t fileHeaderSize = 14, infoHeaderSize = 40;
    const uint32_t rowSize = (static_cast<uint32_t>(image.width) * 3 + 3) / 4 * 4;
    const uint32_t pixelBytes = rowSize * static_cast<uint32_t>(image.height);
    const uint32_t pixelOffset = fileHeaderSize + infoHeaderSize;
    const uint32_t pixelsPerMetre = 2835; // 72 dots per inch

    std::vector<uint8_t> out;
    out.reserve(pixelOffset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, pixelOffset + pixelBytes);
    put32(out, 0); // reserved
    put32(out, pixelOffset);

    put32(out, infoHeaderSize);
    put32(out, static_cast<uint32_t>(image.width));
    put32(out, static_cast<uint32_t>(image.height)); // positive: bottom row first
    put16(out, 1);                                   // planes
    put16(out, 24);                                  // bits per pixel
    put32(out, 0);                                   // no compression
    put32(out, pixelBytes);
    put32(out, pixelsPerMetre);
    put32(out, pixelsPerMetre);
    put32(out, 0); // no colour table
    put32(out, 0);

    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = &image.rgb[static_cast<size_t>(y) * image.width * 3];
        for (int x = 0; x < image.width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3 + 0]);
        }
        for (uint32_t pad = static_cast<uint32_t>(image.width) * 3; pad < rowSize; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}
