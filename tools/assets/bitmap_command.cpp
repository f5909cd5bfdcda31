// letterbot-assets bitmap: decodes a bitmap exactly as the program would and
// says what it found, optionally writing the picture as a PPM to look at.
#include "commands.h"

#include "assets/bmp_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

static void printJsonString(const char* text) {
    std::putchar('"');
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '"' || *p == '\\')
            std::printf("\\%c", *p);
        else if (*p < 0x20)
            std::printf("\\u%04x", *p);
        else
            std::putchar(*p);
    }
    std::putchar('"');
}

// FNV-1a over the packed rows as the program hands them to GL.
static uint32_t pixelChecksum(const ImageRGB& image) {
    uint32_t hash = 2166136261u;
    const size_t size = size_t(image.width) * size_t(image.height) * 3;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ image.pixels[i]) * 16777619u;
    return hash;
}

// Binary PPM, top row first (the image holds the bottom row first).
static bool writePpm(const ImageRGB& image, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", image.width, image.height);
    const size_t rowBytes = size_t(image.width) * 3;
    bool written = true;
    for (int32_t row = image.height - 1; row >= 0 && written; --row)
        written = std::fwrite(image.pixels + size_t(row) * rowBytes, 1, rowBytes, file) == rowBytes;
    return std::fclose(file) == 0 && written;
}

static int usage() {
    std::fputs("usage: letterbot-assets bitmap FILE [--ppm OUT]\n", stderr);
    return 2;
}

int bitmapCommand(int argc, char** argv) {
    const char* input = nullptr;
    const char* ppm = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ppm") == 0 && i + 1 < argc)
            ppm = argv[++i];
        else if (!input && argv[i][0] != '-')
            input = argv[i];
        else
            return usage();
    }
    if (!input)
        return usage();

    BitmapLoad load;
    loadBitmapFile(input, &load); // a failure has been reported on stderr
    if (!load.image) {
        const uint32_t header = load.facts.headerSize;
        if (header == 108 || header == 124)
            std::fprintf(stderr,
                         "hint: this bitmap has a %u-byte header; the program reads only the "
                         "12- and 40-byte ones. Saving it again with a 40-byte header makes it "
                         "usable, for example: convert IN.bmp BMP3:OUT.bmp\n",
                         unsigned(header));
        return 1;
    }

    const ImageRGB& image = *load.image;
    const BitmapFacts& facts = load.facts;
    std::printf("{\"file\": ");
    printJsonString(input);
    std::printf(", \"width\": %d, \"height\": %d, \"top_down\": %s, \"header_size\": %u, "
                "\"bits_per_pixel\": %u, \"compression\": %u, \"fnv1a32\": \"%08x\"}\n",
                image.width, image.height, facts.height < 0 ? "true" : "false",
                unsigned(facts.headerSize), unsigned(facts.bitsPerPixel),
                unsigned(facts.compression), unsigned(pixelChecksum(image)));
    int status = 0;
    if (ppm && !writePpm(image, ppm)) {
        std::fprintf(stderr, "letterbot-assets: cannot write %s\n", ppm);
        status = 1;
    }
    freeImage(load.image);
    return status;
}
