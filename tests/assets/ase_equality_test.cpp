// The program's reader against the slow literal reader on many generated
// files: every material and object must come out bit for bit the same.
#include "ase_generator.h"
#include "ase_reference.h"

#include "assets/ase_loader.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <typename T> bool sameBytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

void expectSameModel(const tModel& got, const tModel& expected) {
    ASSERT_EQ(got.materialCount, expected.materialCount);
    ASSERT_EQ(got.materials.size(), expected.materials.size());
    for (size_t i = 0; i < got.materials.size(); ++i) {
        SCOPED_TRACE("material " + std::to_string(i));
        EXPECT_EQ(std::memcmp(&got.materials[i], &expected.materials[i], sizeof(tMaterialInfo)), 0);
    }
    ASSERT_EQ(got.objectCount, expected.objectCount);
    ASSERT_EQ(got.objects.size(), expected.objects.size());
    for (size_t i = 0; i < got.objects.size(); ++i) {
        SCOPED_TRACE("object " + std::to_string(i));
        const t3DObject& a = got.objects[i];
        const t3DObject& b = expected.objects[i];
        EXPECT_EQ(a.vertexCount, b.vertexCount);
        EXPECT_EQ(a.faceCount, b.faceCount);
        EXPECT_EQ(a.texCoordCount, b.texCoordCount);
        EXPECT_EQ(a.materialIndex, b.materialIndex);
        EXPECT_EQ(a.hasTexture, b.hasTexture);
        EXPECT_TRUE(sameBytes(a.vertices, b.vertices));
        EXPECT_TRUE(sameBytes(a.normals, b.normals));
        EXPECT_TRUE(sameBytes(a.texCoords, b.texCoords));
        EXPECT_TRUE(sameBytes(a.faces, b.faces));
    }
}

void compareOn(const std::string& text) {
    AseLoader loader;
    loader.textureLoader = nullptr;
    tModel got, expected;
    ASSERT_TRUE(loader.loadFromMemory(&got, text.data(), text.size()));
    reference::load(&expected, text);
    expectSameModel(got, expected);
}

TEST(AseEquality, TidyGeneratedModels) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        AseGenerator generator(seed, false);
        compareOn(generator.model(1 + generator.below(4), 40, 60));
    }
}

TEST(AseEquality, UntidyGeneratedModels) {
    int withObjects = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        AseGenerator generator(seed, true);
        const std::string text = generator.model(generator.below(5), 12, 16);
        compareOn(text);
        if (text.find("*GEOMOBJECT") != std::string::npos)
            ++withObjects;
        if (HasFailure())
            return;
    }
    EXPECT_GT(withObjects, 200);
}

TEST(AseEquality, RealFiles) {
    for (const char* name : {"three_cubes.ASE", "uv_textured.ASE", "camera_roll_anim.ase"}) {
        SCOPED_TRACE(name);
        std::FILE* file =
            std::fopen((std::string(LETTERBOT_TEST_DATA_DIR) + "/ase/" + name).c_str(), "rb");
        ASSERT_NE(file, nullptr);
        std::string text;
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, got);
        std::fclose(file);
        compareOn(text);
    }
}

} // namespace
