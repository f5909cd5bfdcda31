// Texture loading against the recording GL: upload order, names, fatal paths.
#include "assets/texture.h"

#include "app/error_log.h"
#include "bmp_builder.h"
#include "fake_gl.h"
#include "platform/exit_status.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each test runs in a fresh working directory holding data/wall.bmp (3 x 2,
// so the rows are padded in the file) and data/v4.bmp (a header we refuse).
class TextureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.enter());
        mkdir("data", 0755);
        TestBitmap wall;
        wall.width = 3;
        wall.height = 2;
        wall.pixels = storedRows24(rgb, 3, 2);
        write("data/wall.bmp", buildBitmap(wall));
        wall.headerSize = 108;
        write("data/v4.bmp", buildBitmap(wall));
        fakegl::reset();
    }
    static void write(const char* path, const std::vector<uint8_t>& bytes) {
        std::FILE* file = std::fopen(path, "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    std::string errorText() const { return scratch.read("error.txt"); }
    ScratchDir scratch;
    const std::vector<uint8_t> rgb = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                      10, 11, 12, 13, 14, 15, 16, 17, 18};
};

double fnv1a(const std::vector<uint8_t>& bytes) {
    uint32_t hash = 2166136261u;
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 16777619u;
    return double(hash);
}

TEST_F(TextureTest, UploadsThePackedImageInOrderWithLinearFilters) {
    unsigned name = 0;
    loadTexture("data\\wall.bmp", &name);
    ASSERT_EQ(fakegl::count("glGenTextures"), 1u);
    EXPECT_EQ(fakegl::named("glGenTextures")[0].args, std::vector<double>{1});
    EXPECT_NE(name, 0u);

    const size_t gen = fakegl::find("glGenTextures");
    const size_t store = fakegl::find("glPixelStorei", gen);
    const size_t bind = fakegl::find("glBindTexture", store);
    const size_t build = fakegl::find("gluBuild2DMipmaps", bind);
    const size_t minFilter = fakegl::find("glTexParameteri", build);
    const size_t magFilter = fakegl::find("glTexParameteri", minFilter + 1);
    ASSERT_LT(magFilter, fakegl::calls.size());
    EXPECT_EQ(fakegl::calls[store].args, (std::vector<double>{GL_UNPACK_ALIGNMENT, 1}));
    EXPECT_EQ(fakegl::calls[bind].args, (std::vector<double>{GL_TEXTURE_2D, double(name)}));
    EXPECT_EQ(fakegl::calls[build].args,
              (std::vector<double>{GL_TEXTURE_2D, 3, 3, 2, GL_RGB, GL_UNSIGNED_BYTE, fnv1a(rgb)}));
    EXPECT_EQ(fakegl::calls[minFilter].args,
              (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR}));
    EXPECT_EQ(fakegl::calls[magFilter].args,
              (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}));
    EXPECT_EQ(fakegl::count("glTexParameteri"), 2u);
}

TEST_F(TextureTest, SameFileTwiceGivesTwoNamesAndNullPathDoesNothing) {
    unsigned first = 0;
    unsigned second = 0;
    loadTexture("data/wall.bmp", &first);
    loadTexture("data/wall.bmp", &second);
    EXPECT_NE(first, second);
    EXPECT_EQ(fakegl::count("gluBuild2DMipmaps"), 2u);

    fakegl::reset();
    unsigned untouched = 77;
    loadTexture(nullptr, &untouched);
    EXPECT_EQ(untouched, 77u);
    EXPECT_TRUE(fakegl::calls.empty());
}

// Reports how many GL calls were made when the process ends.
void reportGlCallsAtExit() {
    std::fprintf(stderr, "gl calls: %zu\n", fakegl::calls.size());
}

TEST_F(TextureTest, MissingOrUnreadableBitmapEndsTheProgramWithItsMessage) {
    struct Case {
        const char* path;
        const char* stderrPattern;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"data\\missing.bmp",
         "^Unable to find or open the texture: data/missing.bmp\nError!: Couldn't find a "
         "texture!\ngl calls: 0\n$",
         "Couldn't find a texture!"},
        {"data\\v4.bmp",
         "^Error: Unknown DIB file format.\nUnable to decode the texture: data/v4.bmp\ngl calls: "
         "0\n$",
         "Unknown DIB file format."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        std::remove("error.txt");
        EXPECT_EXIT(
            {
                openErrorLog();
                std::atexit(reportGlCallsAtExit);
                unsigned name = 0;
                loadTexture(k.path, &name);
            },
            ::testing::ExitedWithCode(EXIT_MISSING_ASSET), k.stderrPattern);
        EXPECT_EQ(errorText(), k.logged);
    }
}

} // namespace
