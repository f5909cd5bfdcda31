// letterbot-assets convert on the shipped robot: read back by the program's
// reader, the converted file holds the original's triangles corner for corner
// (positions, normals, winding and texture coordinates), its materials and its
// panel picture; turned and scaled, the same robot lands where the options say.
#include "convert_command.h"
#include "scratch_dir.h"

#include "assets/ase_loader.h"
#include "assets/bmp_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <cmath>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const float TOLERANCE = 1e-4f; // the files hold four decimals

std::vector<std::string> namedImages;
void collectImage(const char* path, unsigned*) {
    namedImages.push_back(path);
}

tModel load(const std::string& path) {
    AseLoader loader;
    loader.textureLoader = collectImage;
    tModel model;
    EXPECT_TRUE(loader.load(&model, path.c_str())) << path;
    return model;
}

int convert(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    return convertCommand(int(argv.size()), argv.data());
}

struct Box {
    tVector3 low, high;
};

Box boxOf(const std::vector<tVector3>& points) {
    Box box = {points.at(0), points.at(0)};
    for (const tVector3& p : points) {
        box.low = {std::min(box.low.x, p.x), std::min(box.low.y, p.y), std::min(box.low.z, p.z)};
        box.high = {std::max(box.high.x, p.x), std::max(box.high.y, p.y),
                    std::max(box.high.z, p.z)};
    }
    return box;
}

std::vector<tVector3> allPoints(const tModel& model) {
    std::vector<tVector3> points;
    for (const t3DObject& object : model.objects)
        points.insert(points.end(), object.vertices.begin(), object.vertices.end());
    return points;
}

void expectNear(const tVector3& got, const tVector3& expected) {
    EXPECT_NEAR(got.x, expected.x, TOLERANCE);
    EXPECT_NEAR(got.y, expected.y, TOLERANCE);
    EXPECT_NEAR(got.z, expected.z, TOLERANCE);
}

float largestSide(const Box& box) {
    return std::max({box.high.x - box.low.x, box.high.y - box.low.y, box.high.z - box.low.z});
}

// The same triangles in the same order, each from the same corner on, and
// shaded alike: no vertex is split where texture coordinates part. The
// original's points are compared where the placement takes them: scaled
// uniformly and moved, box to box.
void expectSameTriangles(const tModel& converted, const tModel& original) {
    const Box to = boxOf(allPoints(converted)), from = boxOf(allPoints(original));
    const float scale = largestSide(to) / largestSide(from);
    const auto placed = [&](const tVector3& p) {
        return tVector3(to.low.x + (p.x - from.low.x) * scale, to.low.y + (p.y - from.low.y) * scale,
                        to.low.z + (p.z - from.low.z) * scale);
    };
    ASSERT_EQ(converted.objects.size(), original.objects.size());
    for (size_t i = 0; i < original.objects.size(); ++i) {
        SCOPED_TRACE("object " + std::to_string(i));
        const t3DObject &a = converted.objects[i], &b = original.objects[i];
        EXPECT_EQ(a.materialIndex, b.materialIndex);
        EXPECT_EQ(a.hasTexture, b.hasTexture);
        ASSERT_EQ(a.faces.size(), b.faces.size());
        for (size_t f = 0; f < a.faces.size(); ++f) {
            for (int k = 0; k < 3; ++k) {
                SCOPED_TRACE("face " + std::to_string(f) + " corner " + std::to_string(k));
                expectNear(a.vertices[size_t(a.faces[f].vertexIndex[k])],
                           placed(b.vertices[size_t(b.faces[f].vertexIndex[k])]));
                expectNear(a.normals[size_t(a.faces[f].vertexIndex[k])],
                           b.normals[size_t(b.faces[f].vertexIndex[k])]);
                if (b.hasTexture) {
                    const tVector2& t = a.texCoords[size_t(a.faces[f].texCoordIndex[k])];
                    const tVector2& u = b.texCoords[size_t(b.faces[f].texCoordIndex[k])];
                    EXPECT_NEAR(t.u, u.u, TOLERANCE);
                    EXPECT_NEAR(t.v, u.v, TOLERANCE);
                }
            }
        }
    }
}

std::vector<uint8_t> pixelsOf(const std::string& path) {
    BitmapLoad load;
    loadBitmapFile(path.c_str(), &load);
    if (!load.image)
        return {};
    std::vector<uint8_t> pixels(load.image->pixels,
                                load.image->pixels +
                                    size_t(load.image->width) * size_t(load.image->height) * 3);
    freeImage(load.image);
    return pixels;
}

TEST(ConvertRoundTrip, ShippedRobotComesBackAsItWas) {
    const std::string data = std::string(LETTERBOT_SOURCE_DIR) + "/data/";
    const tModel original = load(data + "robot.ase");
    ScratchDir scratch;
    ASSERT_TRUE(scratch.enter());
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_EQ(convert({data + "robot.ase", "data/robot.ase"}), 0);
    namedImages.clear();
    const tModel converted = load("data/robot.ase");

    ASSERT_EQ(converted.materials.size(), original.materials.size());
    for (size_t m = 0; m < original.materials.size(); ++m) {
        SCOPED_TRACE("material " + std::to_string(m));
        const tMaterialInfo &a = converted.materials[m], &b = original.materials[m];
        EXPECT_STREQ(a.name, b.name);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(a.diffuseColor[k], b.diffuseColor[k], TOLERANCE);
        EXPECT_EQ(a.textureFile[0] != '\0', b.textureFile[0] != '\0');
    }
    ASSERT_EQ(namedImages, std::vector<std::string>{"data\\robot_1.bmp"});
    const std::vector<uint8_t> panel = pixelsOf(data + "robot_panel.bmp");
    EXPECT_FALSE(panel.empty());
    EXPECT_EQ(pixelsOf("data/robot_1.bmp"), panel);

    expectSameTriangles(converted, original);
    const Box box = boxOf(allPoints(converted)), expected = boxOf(allPoints(original));
    expectNear(box.low, expected.low);
    expectNear(box.high, expected.high);

    // Turned by 90 degrees from +x towards +z, its front (+z) faces -x; twice
    // as tall, still on the ground and centred where the robot is.
    ASSERT_EQ(convert({data + "robot.ase", "data/turned.ase", "--turn", "90", "--height", "2.8"}),
              0);
    const tModel turned = load("data/turned.ase");
    const Box turnedBox = boxOf(allPoints(turned));
    const float width = 2 * (expected.high.z - expected.low.z);
    const float depth = 2 * (expected.high.x - expected.low.x);
    expectNear(turnedBox.low, {-width / 2, -1.0f, 0.01f - depth / 2});
    expectNear(turnedBox.high, {width / 2, 1.8f, 0.01f + depth / 2});
    const size_t panelObject = 10; // the chest panel, foremost part of the robot
    ASSERT_GT(turned.objects.size(), panelObject);
    EXPECT_NEAR(boxOf(turned.objects[panelObject].vertices).low.x, turnedBox.low.x, TOLERANCE);
}

// A fold of two triangles that share an edge, their texture coordinates apart
// along it: the program shades the edge smooth, and so must the converted file.
TEST(ConvertRoundTrip, TextureSeamsKeepTheirShading) {
    ScratchDir scratch;
    ASSERT_TRUE(scratch.enter());
    fs::copy_file(std::string(LETTERBOT_TEST_DATA_DIR) + "/convert/texture_seam.ase", "fold.ase");
    fs::copy_file(std::string(LETTERBOT_SOURCE_DIR) + "/data/robot_panel.bmp", "panel.bmp");
    ASSERT_EQ(convert({"fold.ase", "out.ase"}), 0);
    namedImages.clear();
    const tModel original = load("fold.ase"), converted = load("out.ase");
    ASSERT_EQ(converted.materials.size(), 1u);
    EXPECT_EQ(namedImages, (std::vector<std::string>{"panel.bmp", "out_1.bmp"}));
    EXPECT_EQ(pixelsOf("out_1.bmp"), pixelsOf("panel.bmp"));
    ASSERT_EQ(converted.objects.size(), 1u);
    EXPECT_EQ(converted.objects[0].vertexCount, 4);
    expectSameTriangles(converted, original);
}

} // namespace
