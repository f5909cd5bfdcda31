// The bitmap reader beside SDL's own loader (the real SDL, no window needed):
// on every BMP Suite file both accept, the two must give the same pixels.
#include "assets/bmp_reader.h"
#include "bmp_suite.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

// SDL asks for the memory of b/reallybig.bmp (3,000,000 x 2,000,000) before it
// looks at the file size; under AddressSanitizer that must fail softly, as it
// would without it.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

// Pixels the format leaves undefined (skipped by run-length deltas or after an
// early end): we draw them black, SDL draws palette entry 0.
const std::set<std::string> UNDEFINED_PIXELS = {"q/pal4rlecut.bmp", "q/pal4rletrns.bmp",
                                                "q/pal8rlecut.bmp", "q/pal8rletrns.bmp"};

// SDL's surface as bottom-up packed RGB, like ImageRGB.
std::vector<uint8_t> sdlPixels(SDL_Surface* surface) {
    std::vector<uint8_t> rgb;
    const int bytes = surface->format->BytesPerPixel;
    for (int row = surface->h - 1; row >= 0; --row) {
        const uint8_t* line = static_cast<const uint8_t*>(surface->pixels) + row * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            Uint32 pixel = 0;
            for (int i = 0; i < bytes; ++i)
                pixel |= Uint32(line[x * bytes + i]) << (8 * i);
            Uint8 r, g, b;
            SDL_GetRGB(pixel, surface->format, &r, &g, &b);
            rgb.insert(rgb.end(), {r, g, b});
        }
    }
    return rgb;
}

TEST(BmpSdlDifferential, SamePixelsAsSdlOnEveryFileBothAccept) {
    const std::vector<std::string> files = bmpSuiteFiles();
    ASSERT_EQ(files.size(), 88u);
    int compared = 0;
    int sdlOnly = 0;
    int oursOnly = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string path = BMP_SUITE + "/" + file;
        SDL_Surface* surface = SDL_LoadBMP(path.c_str());
        BitmapLoad load;
        testing::internal::CaptureStderr(); // our refusals are reported there
        loadBitmapFile(path.c_str(), &load);
        testing::internal::GetCapturedStderr();
        if (surface && load.image && !UNDEFINED_PIXELS.count(file)) {
            ++compared;
            const ImageRGB& image = *load.image;
            EXPECT_EQ(image.width, surface->w);
            EXPECT_EQ(image.height, surface->h);
            const std::vector<uint8_t> theirs = sdlPixels(surface);
            const std::vector<uint8_t> ours(image.pixels,
                                            image.pixels + size_t(image.width) * image.height * 3);
            ASSERT_EQ(ours.size(), theirs.size());
            const int tolerance = load.facts.bitsPerPixel == 16 ? 1 : 0; // 5- and 6-bit widening
            int largest = 0;
            for (size_t i = 0; i < ours.size(); ++i)
                largest = std::max(largest, std::abs(int(ours[i]) - int(theirs[i])));
            EXPECT_LE(largest, tolerance);
        } else if (surface && !load.image) {
            ++sdlOnly;
            std::printf("  only SDL reads %-24s (ours: %s)\n", file.c_str(), load.report);
        } else if (!surface && load.image) {
            ++oursOnly;
            std::printf("  only we read  %s\n", file.c_str());
        }
        if (surface)
            SDL_FreeSurface(surface);
        freeImage(load.image);
    }
    std::printf("compared %d files; SDL alone read %d, we alone read %d\n", compared, sdlOnly,
                oursOnly);
    EXPECT_GE(compared, 20);
}

} // namespace
