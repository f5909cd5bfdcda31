// Picture decoding for textures: the program's bitmap decoder for bitmaps, so
// that a picture reads as the program would read it, and stb for the rest.
#include "picture_decoding.h"

#include "assets/bmp_reader.h"

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include <cstring>

static std::string sizeText(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

static bool sizeAccepted(int64_t width, int64_t height, std::string* reason) {
    if (width < 1 || height < 1 || width > MAX_SOURCE_SIDE || height > MAX_SOURCE_SIDE) {
        *reason = "the picture is " + sizeText(width, height) +
                  " pixels; the converter reads up to " +
                  sizeText(MAX_SOURCE_SIDE, MAX_SOURCE_SIDE);
        return false;
    }
    return true;
}

// Scales `image` down (sRGB-aware filtering) so that its longer side is at most
// MAX_TEXTURE_SIDE, keeping the aspect ratio.
static bool fitSide(Image* image, std::string* reason) {
    const int longer = image->width > image->height ? image->width : image->height;
    if (longer <= MAX_TEXTURE_SIDE)
        return true;
    const double scale = double(MAX_TEXTURE_SIDE) / longer;
    Image scaled;
    scaled.width =
        image->width >= image->height ? MAX_TEXTURE_SIDE : int(image->width * scale + 0.5);
    scaled.height =
        image->height >= image->width ? MAX_TEXTURE_SIDE : int(image->height * scale + 0.5);
    if (scaled.width < 1)
        scaled.width = 1;
    if (scaled.height < 1)
        scaled.height = 1;
    scaled.rgb.resize(size_t(scaled.width) * size_t(scaled.height) * 3);
    if (!stbir_resize_uint8_srgb(image->rgb.data(), image->width, image->height, 0,
                                 scaled.rgb.data(), scaled.width, scaled.height, 0, 3,
                                 STBIR_ALPHA_CHANNEL_NONE, 0)) {
        *reason = "the picture could not be scaled down";
        return false;
    }
    *image = std::move(scaled);
    return true;
}

// The program's own decoder, for a file that starts like a bitmap. Its size is
// judged from the headers first: a small file can describe a picture of
// gigabytes, 1 bit a pixel or run-length encoded.
enum BitmapResult { NOT_A_PROGRAM_BITMAP, BITMAP_DECODED, BITMAP_REFUSED };

static BitmapResult decodeAsProgramBitmap(const uint8_t* bytes, size_t size, Picture* picture,
                                          std::string* reason) {
    if (size < 2 || bytes[0] != 'B' || bytes[1] != 'M')
        return NOT_A_PROGRAM_BITMAP;
    BitmapFacts facts;
    if (readBitmapFacts(bytes, size, &facts) != BITMAP_OK)
        return NOT_A_PROGRAM_BITMAP;
    // A top-down file stores its height negated.
    const int64_t height = facts.height < 0 ? -int64_t(facts.height) : facts.height;
    if (!sizeAccepted(facts.width, height, reason))
        return BITMAP_REFUSED;
    BitmapFailure failure = BITMAP_OK;
    ImageRGB* decoded = decodeBitmap(bytes, size, &failure);
    if (!decoded)
        return NOT_A_PROGRAM_BITMAP;
    picture->sourceWidth = decoded->width;
    picture->sourceHeight = decoded->height;
    picture->image.width = decoded->width;
    picture->image.height = decoded->height;
    const size_t count = size_t(decoded->width) * size_t(decoded->height) * 3;
    picture->image.rgb.assign(decoded->pixels, decoded->pixels + count); // already bottom first
    freeImage(decoded);
    return BITMAP_DECODED;
}

bool decodePicture(const uint8_t* bytes, size_t size, Picture* picture, std::string* reason) {
    if (size == 0) {
        *reason = "the picture file is empty";
        return false;
    }
    switch (decodeAsProgramBitmap(bytes, size, picture, reason)) {
    case BITMAP_DECODED:
        return fitSide(&picture->image, reason);
    case BITMAP_REFUSED:
        return false;
    case NOT_A_PROGRAM_BITMAP:
        break;
    }
    // stb takes the size as an int.
    if (size > size_t(0x7fffffff)) {
        *reason = "the picture file is too large";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, int(size), &width, &height, &channels)) {
        *reason = std::string("the picture cannot be decoded: ") + stbi_failure_reason();
        return false;
    }
    if (!sizeAccepted(width, height, reason))
        return false;
    unsigned char* pixels = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, 3);
    if (!pixels) {
        *reason = std::string("the picture cannot be decoded: ") + stbi_failure_reason();
        return false;
    }
    picture->sourceWidth = width;
    picture->sourceHeight = height;
    picture->image.width = width;
    picture->image.height = height;
    const size_t rowBytes = size_t(width) * 3;
    picture->image.rgb.resize(rowBytes * size_t(height));
    // stb gives the top row first; bitmaps and GL take the bottom row first.
    for (int row = 0; row < height; ++row)
        std::memcpy(&picture->image.rgb[size_t(height - 1 - row) * rowBytes],
                    pixels + size_t(row) * rowBytes, rowBytes);
    stbi_image_free(pixels);
    return fitSide(&picture->image, reason);
}

bool pictureFromBgra(const uint8_t* texels, int width, int height, Picture* picture,
                     std::string* reason) {
    if (!sizeAccepted(width, height, reason))
        return false;
    picture->sourceWidth = width;
    picture->sourceHeight = height;
    picture->image.width = width;
    picture->image.height = height;
    picture->image.rgb.resize(size_t(width) * size_t(height) * 3);
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = texels + size_t(row) * size_t(width) * 4;
        uint8_t* out = &picture->image.rgb[size_t(height - 1 - row) * size_t(width) * 3];
        for (int x = 0; x < width; ++x) {
            out[x * 3 + 0] = in[x * 4 + 2];
            out[x * 3 + 1] = in[x * 4 + 1];
            out[x * 3 + 2] = in[x * 4 + 0];
        }
    }
    return fitSide(&picture->image, reason);
}
