// Encoding of pictures as bottom-up Windows bitmap files.
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

static const uint32_t FILE_HEADER_SIZE = 14;
static const uint32_t INFO_HEADER_SIZE = 40;

// Both headers; `paletteEntries` four-byte colour-table entries follow them.
static void putHeaders(std::vector<uint8_t>& out, int width, int height, uint16_t bitsPerPixel,
                       uint32_t compression, uint32_t paletteEntries, uint32_t pixelBytes) {
    const uint32_t pixelOffset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * paletteEntries;
    const uint32_t pixelsPerMetre = 2835; // 72 dots per inch
    out.push_back('B');
    out.push_back('M');
    put32(out, pixelOffset + pixelBytes);
    put32(out, 0); // reserved
    put32(out, pixelOffset);

    put32(out, INFO_HEADER_SIZE);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height)); // positive: bottom row first
    put16(out, 1);                             // planes
    put16(out, bitsPerPixel);
    put32(out, compression);
    put32(out, pixelBytes);
    put32(out, pixelsPerMetre);
    put32(out, pixelsPerMetre);
    put32(out, paletteEntries); // colours used
    put32(out, 0);              // all of them important
}

std::vector<uint8_t> bmpBytes(const Image& image) {
    const uint32_t rowSize = (static_cast<uint32_t>(image.width) * 3 + 3) / 4 * 4;
    const uint32_t pixelBytes = rowSize * static_cast<uint32_t>(image.height);

    std::vector<uint8_t> out;
    out.reserve(FILE_HEADER_SIZE + INFO_HEADER_SIZE + pixelBytes);
    putHeaders(out, image.width, image.height, 24, 0, 0, pixelBytes);
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

// One row of RLE8 data, without its end-of-line mark.
static void putRle8Row(std::vector<uint8_t>& out, const uint8_t* row, int width) {
    const int longest = 255;
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < longest && row[x + run] == row[x]) {
            ++run;
        }
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(run));
            out.push_back(row[x]);
            x += run;
            continue;
        }
        // A literal stretch ends where a run of two begins.
        int length = 1;
        while (x + length < width && length < longest &&
               !(x + length + 1 < width && row[x + length] == row[x + length + 1])) {
            ++length;
        }
        if (length < 3) {
            // Literal runs start at three; shorter stretches are runs of one.
            for (int i = 0; i < length; ++i) {
                out.push_back(1);
                out.push_back(row[x + i]);
            }
        } else {
            out.push_back(0);
            out.push_back(static_cast<uint8_t>(length));
            out.insert(out.end(), row + x, row + x + length);
            if (length % 2 != 0) {
                out.push_back(0); // literal runs end on a 16-bit boundary
            }
        }
        x += length;
    }
}

std::vector<uint8_t> rle8BmpBytes(const PaletteImage& image) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < image.height; ++y) {
        putRle8Row(pixels, &image.indices[static_cast<size_t>(y) * image.width], image.width);
        pixels.push_back(0);
        pixels.push_back(y + 1 < image.height ? 0 : 1); // end of line, or of the bitmap
    }

    const uint32_t entries = static_cast<uint32_t>(image.paletteRgb.size() / 3);
    std::vector<uint8_t> out;
    putHeaders(out, image.width, image.height, 8, 1, entries, static_cast<uint32_t>(pixels.size()));
    for (uint32_t i = 0; i < entries; ++i) {
        out.push_back(image.paletteRgb[i * 3 + 2]);
        out.push_back(image.paletteRgb[i * 3 + 1]);
        out.push_back(image.paletteRgb[i * 3 + 0]);
        out.push_back(0);
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}
