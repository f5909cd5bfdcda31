// The Windows bitmap reader: turns a .bmp file (with or without its 14-byte
// file header, 12- or 40-byte info header) into packed RGB rows for GL.
#pragma once

#include <cstddef>
#include <cstdint>

// A decoded bitmap. `pixels` holds width * height * 3 bytes, red, green, blue
// per pixel, rows without padding, the bottom row of the picture first. The
// record and the pixel buffer are separate malloc blocks; the caller frees the
// pixel buffer first, then the record.
struct ImageRGB {
    int32_t width;
    int32_t height; // always the positive row count, also for top-down files
    uint8_t* pixels;
};

enum BitmapFailure {
    BITMAP_OK,
    BITMAP_UNKNOWN_FORMAT,   // info header size other than 12 or 40
    BITMAP_CONVERSION_ERROR, // truncated, inconsistent or unsupported content
    BITMAP_OUT_OF_MEMORY,
};

// What the headers say, filled in as far as the decoder got (zero before that).
struct BitmapFacts {
    uint32_t headerSize;
    int32_t width;  // as stored
    int32_t height; // as stored: negative for a top-down file
    uint32_t bitsPerPixel;
    uint32_t compression; // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
};

// Decodes a bitmap held in memory. Never reads outside [data, data + size) and
// reports nothing: on failure it returns null and sets *failure.
ImageRGB* decodeBitmap(const uint8_t* data, size_t size, BitmapFailure* failure,
                       BitmapFacts* facts = nullptr);

// Checks the headers and the colour table as decodeBitmap does, without
// decoding the pixels, so that a caller can judge the size first. BITMAP_OK
// means only that the headers are sound.
BitmapFailure readBitmapFacts(const uint8_t* data, size_t size, BitmapFacts* facts);

// The text the program shows for a decoder failure.
const char* bitmapFailureMessage(BitmapFailure failure);

// One call of the file reader, for callers that need more than the image: the
// header facts and the text of the report that was shown (empty on success).
struct BitmapLoad {
    ImageRGB* image;
    BitmapFacts facts;
    char report[256];
};

// Reads the whole file once and decodes it. A failure is shown in one message
// box (caption "Error") and leaves `image` null; the program goes on.
void loadBitmapFile(const char* path, BitmapLoad* load);

// The same, returning only the image (null after a reported failure).
ImageRGB* loadBitmapImage(const char* path);

// Frees both blocks of an image; null is allowed.
void freeImage(ImageRGB* image);
