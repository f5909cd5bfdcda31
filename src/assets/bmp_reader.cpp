// The Windows bitmap reader: header checks, colour table, and the conversion of
// every supported pixel layout into packed, bottom-up RGB rows.
#include "assets/bmp_reader.h"

#include "platform/platform.h"
#include "assets/byte_cursor.h"
#include "platform/file_bytes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int32_t MAX_SIDE = 32768;
// A run-length file of a few hundred bytes may declare the largest sides, and
// the whole picture is allocated before its runs are read. No texture the
// program can use comes near this size (256 MiB of RGB).
const size_t MAX_RUN_LENGTH_PICTURE = size_t(256) << 20;

const uint32_t COMPRESSION_NONE = 0;
const uint32_t COMPRESSION_RLE8 = 1;
const uint32_t COMPRESSION_RLE4 = 2;
const uint32_t COMPRESSION_BITFIELDS = 3;

// a * b * c, or false when that does not fit in size_t.
bool multiplySizes(size_t a, size_t b, size_t c, size_t* product) {
    if (a != 0 && b > SIZE_MAX / a)
        return false;
    const size_t ab = a * b;
    if (ab != 0 && c > SIZE_MAX / ab)
        return false;
    *product = ab * c;
    return true;
}

// One colour channel of a bit-field pixel: where it sits and how wide it is.
struct Channel {
    uint32_t mask;
    unsigned shift;
    unsigned bits;
};

// A mask is usable when it is one unbroken run of 1 to 32 bits.
bool makeChannel(uint32_t mask, Channel* channel) {
    if (mask == 0)
        return false;
    unsigned shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const uint32_t run = mask >> shift;
    if ((run & (run + 1)) != 0)
        return false;
    unsigned bits = 0;
    while (bits < 32 && ((run >> bits) & 1))
        ++bits;
    *channel = Channel{mask, shift, bits};
    return true;
}

// Widens a channel value to 8 bits: narrower values by repeating their bits
// (so the largest value becomes 255), wider ones by keeping the top 8 bits.
inline uint8_t channelValue(uint32_t pixel, const Channel& channel) {
    const uint32_t value = (pixel & channel.mask) >> channel.shift;
    if (channel.bits >= 8)
        return uint8_t(value >> (channel.bits - 8));
    uint32_t result = value << (8 - channel.bits);
    for (unsigned have = channel.bits; have < 8; have *= 2)
        result |= result >> have;
    return uint8_t(result);
}

// Everything the pixel conversion needs, gathered and checked from the headers.
struct Layout {
    int32_t width;
    int32_t rows;
    bool topDown;
    uint32_t bitsPerPixel;
    uint32_t compression;
    size_t pixelOffset;
    size_t stride;           // bytes per stored row, padded to 4
    uint8_t palette[256][3]; // red, green, blue; entries beyond the table are black
    Channel channels[3];     // red, green, blue for 16 and 32 bits
};

// Where a stored row lands in the bottom-up result.
inline uint8_t* outputRow(const Layout& layout, uint8_t* pixels, int32_t storedRow) {
    const int32_t row = layout.topDown ? layout.rows - 1 - storedRow : storedRow;
    return pixels + size_t(row) * size_t(layout.width) * 3;
}

void convertIndexedRow(const Layout& layout, const uint8_t* in, uint8_t* out) {
    const int32_t width = layout.width;
    const uint32_t bits = layout.bitsPerPixel;
    const uint32_t perByte = 8 / bits;
    const uint32_t mask = (1u << bits) - 1;
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t slot = uint32_t(x) % perByte;
        const uint32_t index = (in[uint32_t(x) / perByte] >> (8 - bits * (slot + 1))) & mask;
        std::memcpy(out, layout.palette[index], 3);
        out += 3;
    }
}

// The fast rows below move a pixel as one 32-bit word: its fourth byte lands
// on the next pixel's first byte and is overwritten by it, so the last pixel of
// a row, whose fourth byte may lie outside the buffer, is copied bytewise.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixel words are little-endian");

inline uint32_t load32(const uint8_t* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

inline void store32(uint8_t* p, uint32_t word) {
    std::memcpy(p, &word, 4);
}

void convert8Row(const Layout& layout, const uint32_t* colours, const uint8_t* in, uint8_t* out) {
    const int32_t last = layout.width - 1;
    for (int32_t x = 0; x < last; ++x, out += 3)
        store32(out, colours[in[x]]);
    std::memcpy(out, layout.palette[in[last]], 3);
}

// Blue, green, red (and for 32 bits a spare byte) become red, green, blue: the
// byte-reversed word shifted down by one byte.
template <int STEP> void convertBgrRow(const Layout& layout, const uint8_t* in, uint8_t* out) {
    const int32_t last = layout.width - 1;
    for (int32_t x = 0; x < last; ++x, in += STEP, out += 3)
        store32(out, __builtin_bswap32(load32(in)) >> 8);
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
}

void convertMaskedRow(const Layout& layout, const uint8_t* in, uint8_t* out) {
    const int32_t width = layout.width;
    const bool wide = layout.bitsPerPixel == 32;
    for (int32_t x = 0; x < width; ++x) {
        uint32_t pixel = uint32_t(in[0]) | (uint32_t(in[1]) << 8);
        if (wide)
            pixel |= (uint32_t(in[2]) << 16) | (uint32_t(in[3]) << 24);
        in += wide ? 4 : 2;
        out[0] = channelValue(pixel, layout.channels[0]);
        out[1] = channelValue(pixel, layout.channels[1]);
        out[2] = channelValue(pixel, layout.channels[2]);
        out += 3;
    }
}

// Uncompressed rows; the caller has checked that all of them are in the file.
void convertRows(const Layout& layout, const uint8_t* data, uint8_t* pixels) {
    const bool plain32 = layout.bitsPerPixel == 32 && layout.channels[0].mask == 0xFF0000 &&
                         layout.channels[1].mask == 0xFF00 && layout.channels[2].mask == 0xFF;
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = uint32_t(layout.palette[i][0]) | (uint32_t(layout.palette[i][1]) << 8) |
                     (uint32_t(layout.palette[i][2]) << 16);
    for (int32_t row = 0; row < layout.rows; ++row) {
        const uint8_t* in = data + layout.pixelOffset + size_t(row) * layout.stride;
        uint8_t* out = outputRow(layout, pixels, row);
        if (layout.bitsPerPixel == 24)
            convertBgrRow<3>(layout, in, out);
        else if (layout.bitsPerPixel == 8)
            convert8Row(layout, colours, in, out);
        else if (layout.bitsPerPixel < 8)
            convertIndexedRow(layout, in, out);
        else if (plain32)
            convertBgrRow<4>(layout, in, out);
        else
            convertMaskedRow(layout, in, out);
    }
}

// Run-length data (RLE8 or RLE4, always bottom-up). Runs that would leave the
// row or the image make the file invalid; a stream that simply stops leaves the
// rest of the picture black (the buffer starts zeroed).
bool convertRunLength(const Layout& layout, const uint8_t* data, size_t size, uint8_t* pixels) {
    ByteCursor c = makeByteCursor(data, size);
    cursorSeek(c, layout.pixelOffset);
    const bool nibbles = layout.compression == COMPRESSION_RLE4;
    const int32_t width = layout.width;
    int32_t x = 0;
    int32_t y = 0;
    while (cursorRemaining(c) >= 2) {
        const uint32_t count = readU8(c);
        const uint32_t value = readU8(c);
        if (count > 0) {
            if (y >= layout.rows || count > uint32_t(width - x))
                return false;
            uint8_t* out = outputRow(layout, pixels, y) + size_t(x) * 3;
            for (uint32_t i = 0; i < count; ++i, out += 3) {
                const uint32_t index = nibbles ? (i & 1 ? value & 15 : value >> 4) : value;
                std::memcpy(out, layout.palette[index], 3);
            }
            x += int32_t(count);
            continue;
        }
        if (value == 0) { // end of line; extra ones past the top change nothing
            x = 0;
            if (y < layout.rows)
                ++y;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) { // move right and up
            if (cursorRemaining(c) < 2)
                return true;
            const uint32_t dx = readU8(c);
            const uint32_t dy = readU8(c);
            if (dx > uint32_t(width - x) || dy > uint32_t(layout.rows - y))
                return false;
            x += int32_t(dx);
            y += int32_t(dy);
        } else { // a literal run of `value` pixels, padded to 16 bits
            const uint32_t length = value;
            if (y >= layout.rows || length > uint32_t(width - x))
                return false;
            const size_t bytes = nibbles ? (length + 1) / 2 : length;
            const size_t padded = bytes + (bytes & 1);
            const size_t available = cursorRemaining(c) < bytes ? cursorRemaining(c) : bytes;
            const uint32_t usable =
                uint32_t(nibbles ? (available * 2 < length ? available * 2 : length) : available);
            uint8_t* out = outputRow(layout, pixels, y) + size_t(x) * 3;
            const uint8_t* in = c.position;
            for (uint32_t i = 0; i < usable; ++i, out += 3) {
                const uint32_t index = nibbles ? (i & 1 ? in[i / 2] & 15 : in[i / 2] >> 4) : in[i];
                std::memcpy(out, layout.palette[index], 3);
            }
            if (usable < length)
                return true; // the stream ends inside the run
            x += int32_t(length);
            cursorSkip(c, padded < cursorRemaining(c) ? padded : cursorRemaining(c));
        }
    }
    return true;
}

// Reads and checks the headers and the colour table, in the order: magic,
// header size, dimensions, buffer size, palette, pixel offset. Nothing is
// allocated before all of them have passed.
BitmapFailure readLayout(const uint8_t* data, size_t size, Layout* layout, BitmapFacts* facts,
                         size_t* outputSize) {
    ByteCursor c = makeByteCursor(data, size);
    const bool fileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    size_t pixelOffset = 0;
    uint32_t fileSize = 0;
    if (fileHeader) {
        cursorSkip(c, 2);
        fileSize = readU32(c);
        cursorSkip(c, 4);
        pixelOffset = readU32(c);
    }
    const uint32_t headerSize = readU32(c);
    if (c.failed)
        return BITMAP_CONVERSION_ERROR;
    facts->headerSize = headerSize;
    if (headerSize != 12 && headerSize != 40)
        return BITMAP_UNKNOWN_FORMAT;
    // A file shorter than its header says has lost its end.
    if (fileSize > size)
        return BITMAP_CONVERSION_ERROR;

    int64_t width = 0;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t bits = 0;
    uint32_t compression = COMPRESSION_NONE;
    uint32_t imageSize = 0;
    uint32_t coloursUsed = 0;
    if (headerSize == 12) {
        width = readU16(c);
        height = readU16(c);
        planes = readU16(c);
        bits = readU16(c);
    } else {
        width = readI32(c);
        height = readI32(c);
        planes = readU16(c);
        bits = readU16(c);
        compression = readU32(c);
        imageSize = readU32(c);
        cursorSkip(c, 8); // the resolutions play no part in decoding
        coloursUsed = readU32(c);
        cursorSkip(c, 4);
    }
    if (c.failed)
        return BITMAP_CONVERSION_ERROR;
    *facts = BitmapFacts{headerSize, int32_t(width), int32_t(height), bits, compression};

    const bool topDown = height < 0;
    const int64_t rows = topDown ? -height : height;
    if (width < 1 || width > MAX_SIDE || rows < 1 || rows > MAX_SIDE)
        return BITMAP_CONVERSION_ERROR;
    if (planes != 1)
        return BITMAP_CONVERSION_ERROR;

    bool supported = false;
    switch (compression) {
    case COMPRESSION_NONE:
        supported = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        break;
    case COMPRESSION_RLE8:
        supported = bits == 8 && !topDown;
        break;
    case COMPRESSION_RLE4:
        supported = bits == 4 && !topDown;
        break;
    case COMPRESSION_BITFIELDS:
        supported = bits == 16 || bits == 32;
        break;
    }
    if (!supported)
        return BITMAP_CONVERSION_ERROR;

    // The result and the stored rows must both be sizes we can compute.
    size_t rowBits = 0;
    if (!multiplySizes(size_t(width), bits, 1, &rowBits) ||
        !multiplySizes(size_t(width), size_t(rows), 3, outputSize))
        return BITMAP_CONVERSION_ERROR;
    const bool runLength = compression == COMPRESSION_RLE8 || compression == COMPRESSION_RLE4;
    if (runLength && *outputSize > MAX_RUN_LENGTH_PICTURE)
        return BITMAP_CONVERSION_ERROR;
    const size_t stride = (rowBits + 31) / 32 * 4;
    size_t pixelBytes = 0;
    if (!multiplySizes(stride, size_t(rows), 1, &pixelBytes))
        return BITMAP_CONVERSION_ERROR;

    Channel* channels = layout->channels;
    if (compression == COMPRESSION_BITFIELDS) {
        const uint32_t red = readU32(c);
        const uint32_t green = readU32(c);
        const uint32_t blue = readU32(c);
        if (c.failed)
            return BITMAP_CONVERSION_ERROR;
        const uint32_t usable = bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
        if ((red | green | blue) & ~usable || (red & green) || (red & blue) || (green & blue))
            return BITMAP_CONVERSION_ERROR;
        if (!makeChannel(red, &channels[0]) || !makeChannel(green, &channels[1]) ||
            !makeChannel(blue, &channels[2]))
            return BITMAP_CONVERSION_ERROR;
    } else if (bits == 16) {
        makeChannel(0x7C00, &channels[0]);
        makeChannel(0x03E0, &channels[1]);
        makeChannel(0x001F, &channels[2]);
    } else if (bits == 32) {
        makeChannel(0xFF0000, &channels[0]);
        makeChannel(0x00FF00, &channels[1]);
        makeChannel(0x0000FF, &channels[2]);
    }

    // The colour table: colours used (low 16 bits) when given, otherwise the
    // full table of the depth. Only depths up to 8 bits look colours up, and
    // their table can never need more than 2^bits entries.
    size_t entries = bits <= 8 ? size_t(1) << bits : 0;
    if (headerSize == 40 && (coloursUsed & 0xFFFF) != 0)
        entries = coloursUsed & 0xFFFF;
    if (bits <= 8 && entries > (size_t(1) << bits))
        return BITMAP_CONVERSION_ERROR;
    const size_t entrySize = headerSize == 12 ? 3 : 4;
    const size_t tableStart = cursorOffset(c);
    if (fileHeader) {
        // The table cannot reach into the pixels: a shorter gap holds fewer
        // entries (files with the small header say so only through the offset).
        if (pixelOffset < tableStart)
            return BITMAP_CONVERSION_ERROR;
        const size_t room = (pixelOffset - tableStart) / entrySize;
        if (entries > room)
            entries = room;
    } else {
        pixelOffset = tableStart + entries * entrySize;
    }
    if (entries * entrySize > size - tableStart)
        return BITMAP_CONVERSION_ERROR;
    std::memset(layout->palette, 0, sizeof layout->palette);
    if (bits <= 8) {
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* entry = data + tableStart + i * entrySize;
            layout->palette[i][0] = entry[2];
            layout->palette[i][1] = entry[1];
            layout->palette[i][2] = entry[0];
        }
    }

    if (pixelOffset >= size)
        return BITMAP_CONVERSION_ERROR;
    const size_t available = size - pixelOffset;
    // A header that claims more pixel bytes than the file holds is damaged.
    if (imageSize > available)
        return BITMAP_CONVERSION_ERROR;
    if (!runLength && pixelBytes > available)
        return BITMAP_CONVERSION_ERROR;

    layout->width = int32_t(width);
    layout->rows = int32_t(rows);
    layout->topDown = topDown;
    layout->bitsPerPixel = bits;
    layout->compression = compression;
    layout->pixelOffset = pixelOffset;
    layout->stride = stride;
    return BITMAP_OK;
}

} // namespace

BitmapFailure readBitmapFacts(const uint8_t* data, size_t size, BitmapFacts* facts) {
    *facts = BitmapFacts{};
    Layout layout;
    size_t outputSize = 0;
    return readLayout(data, size, &layout, facts, &outputSize);
}

ImageRGB* decodeBitmap(const uint8_t* data, size_t size, BitmapFailure* failure,
                       BitmapFacts* facts) {
    BitmapFacts localFacts = {};
    if (!facts)
        facts = &localFacts;
    *facts = BitmapFacts{};
    Layout layout;
    size_t outputSize = 0;
    *failure = readLayout(data, size, &layout, facts, &outputSize);
    if (*failure != BITMAP_OK)
        return nullptr;

    const bool runLength =
        layout.compression == COMPRESSION_RLE8 || layout.compression == COMPRESSION_RLE4;
    uint8_t* pixels =
        static_cast<uint8_t*>(runLength ? std::calloc(outputSize, 1) : std::malloc(outputSize));
    preferLargePages(pixels, outputSize);
    ImageRGB* image = pixels ? static_cast<ImageRGB*>(std::malloc(sizeof(ImageRGB))) : nullptr;
    if (!image) {
        std::free(pixels);
        *failure = BITMAP_OUT_OF_MEMORY;
        return nullptr;
    }
    if (runLength) {
        if (!convertRunLength(layout, data, size, pixels)) {
            std::free(pixels);
            std::free(image);
            *failure = BITMAP_CONVERSION_ERROR;
            return nullptr;
        }
    } else {
        convertRows(layout, data, pixels);
    }
    *image = ImageRGB{layout.width, layout.rows, pixels};
    return image;
}

const char* bitmapFailureMessage(BitmapFailure failure) {
    switch (failure) {
    case BITMAP_OK:
        return "";
    case BITMAP_UNKNOWN_FORMAT:
        return "Unknown DIB file format.";
    case BITMAP_OUT_OF_MEMORY:
        return "Out of memory.";
    case BITMAP_CONVERSION_ERROR:
        break;
    }
    return "Image file conversion error.";
}

void loadBitmapFile(const char* path, BitmapLoad* load) {
    load->image = nullptr;
    load->facts = BitmapFacts{};
    load->report[0] = '\0';
    // An empty file holds no bitmap: like a missing one, it cannot be opened as one.
    FileBytes file;
    if (readFileBytes(path, &file) != FILE_BYTES_OK || file.size == 0) {
        releaseFileBytes(&file);
        // snprintf cuts a long path at the end of the 256-byte buffer.
        std::snprintf(load->report, sizeof load->report, "Failed to open DIB file %s.\n", path);
    } else {
        BitmapFailure failure = BITMAP_OK;
        load->image = decodeBitmap(file.data, file.size, &failure, &load->facts);
        releaseFileBytes(&file);
        if (!load->image)
            std::snprintf(load->report, sizeof load->report, "%s", bitmapFailureMessage(failure));
    }
    if (!load->image)
        showMessageBox(MESSAGE_BOX_FOCUS_WINDOW, "Error", load->report);
}

ImageRGB* loadBitmapImage(const char* path) {
    BitmapLoad load;
    loadBitmapFile(path, &load);
    return load.image;
}

void freeImage(ImageRGB* image) {
    if (!image)
        return;
    std::free(image->pixels);
    std::free(image);
}
