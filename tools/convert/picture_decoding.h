// Pictures for the converter's textures: every bitmap the program reads (with
// its own decoder) and whatever stb_image reads (PNG, JPEG, TGA, GIF, PSD, ...),
// as 24-bit rows bottom first for the bitmap writer, scaled down so that the
// longer side is at most MAX_TEXTURE_SIDE pixels. Transparency is dropped.
#pragma once

#include "bmp_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The program uploads every level of its textures at start-up; larger
// pictures only cost memory and time there.
constexpr int MAX_TEXTURE_SIDE = 1024;

// Larger pictures are refused before they are decoded.
constexpr int MAX_SOURCE_SIDE = 16384;

// A decoded picture and its size before scaling.
struct Picture {
    Image image;
    int sourceWidth;
    int sourceHeight;
};

// Decodes an image file held in memory. False, with a reason, when it is
// neither a bitmap the program reads nor a format stb_image reads, or is too
// large.
bool decodePicture(const uint8_t* bytes, size_t size, Picture* picture, std::string* reason);

// A picture given as blue, green, red, alpha bytes per pixel, top row first
// (assimp's uncompressed embedded textures).
bool pictureFromBgra(const uint8_t* texels, int width, int height, Picture* picture,
                     std::string* reason);
