// Cut and corrupted copies of a real file: the reader never reads outside the
// text, and every model it returns keeps its indices inside its arrays, so
// that drawing it is safe. Runs under the sanitizers with the other tests.
#include "assets/ase_loader.h"
#include "assets/model_drawing.h"
#include "fake_gl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

std::string readTestFile(const char* name) {
    std::FILE* file =
        std::fopen((std::string(LETTERBOT_TEST_DATA_DIR) + "/ase/" + name).c_str(), "rb");
    std::string text;
    if (!file)
        return text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    std::fclose(file);
    return text;
}

bool inside(int32_t index, size_t count) {
    return index >= 0 && size_t(index) < count;
}

// Loads exactly `size` bytes from a separate allocation, so that the address
// sanitizer sees any read past the end.
void checkLoad(const std::string& text, size_t size) {
    std::unique_ptr<char[]> exact(new char[size ? size : 1]);
    std::memcpy(exact.get(), text.data(), size);
    AseLoader loader;
    loader.textureLoader = nullptr;
    tModel m;
    ASSERT_TRUE(loader.loadFromMemory(&m, exact.get(), size));
    ASSERT_EQ(size_t(m.objectCount), m.objects.size());
    ASSERT_EQ(size_t(m.materialCount), m.materials.size());
    for (const tMaterialInfo& material : m.materials) {
        ASSERT_NE(std::memchr(material.name, '\0', sizeof material.name), nullptr);
        ASSERT_NE(std::memchr(material.textureFile, '\0', sizeof material.textureFile), nullptr);
    }
    for (const t3DObject& o : m.objects) {
        ASSERT_EQ(size_t(o.vertexCount), o.vertices.size());
        ASSERT_EQ(size_t(o.vertexCount), o.normals.size());
        ASSERT_EQ(size_t(o.faceCount), o.faces.size());
        ASSERT_EQ(size_t(o.texCoordCount), o.texCoords.size());
        for (const tFace& f : o.faces)
            for (int k = 0; k < 3; ++k) {
                ASSERT_TRUE(inside(f.vertexIndex[k], o.vertices.size()));
                if (o.hasTexture) {
                    ASSERT_TRUE(inside(f.texCoordIndex[k], o.texCoords.size()));
                }
            }
        for (const tVector3& n : o.normals)
            ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
    }
    fakegl::reset();
    drawModel(&m);
    ASSERT_EQ(fakegl::count("glBegin"), fakegl::count("glEnd"));
}

TEST(AseRobustness, EveryCutPointOfASmallFile) {
    const std::string text = readTestFile("three_cubes.ASE");
    ASSERT_FALSE(text.empty());
    for (size_t size = 0; size <= text.size(); ++size) {
        SCOPED_TRACE("cut at " + std::to_string(size));
        checkLoad(text, size);
        if (HasFatalFailure())
            return;
    }
}

TEST(AseRobustness, RandomByteChanges) {
    std::mt19937 random(20240607);
    for (const char* name : {"three_cubes.ASE", "uv_textured.ASE", "camera_roll_anim.ase"}) {
        const std::string original = readTestFile(name);
        ASSERT_FALSE(original.empty()) << name;
        static const char replacements[] = {'\0', '\n', ' ', '"', '*', '-', '9', '.', ':', 'e'};
        for (int round = 0; round < 300; ++round) {
            std::string text = original;
            const int changes = 1 + int(random() % 20);
            for (int k = 0; k < changes; ++k) {
                const size_t at = random() % text.size();
                text[at] = random() % 2 ? char(random() % 256)
                                        : replacements[random() % sizeof replacements];
            }
            SCOPED_TRACE(std::string(name) + " round " + std::to_string(round));
            checkLoad(text, text.size());
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(AseRobustness, HostileLines) {
    const std::string cases[] = {
        std::string(100000, 'x'),
        "*GEOMOBJECT " + std::string(300, '*') + " *MESH_NUMVERTEX 3",
        "*GEOMOBJECT\n*MESH_NUMVERTEX 99999999999999999999\n*MESH_VERTEX 0 1 2 3",
        "*GEOMOBJECT\n*MESH_NUMVERTEX 2\n*MESH_NUMFACES 1\n*MESH_FACE 0: A: 0 B: 1 C: 1",
        "*GEOMOBJECT\n*MESH_NUMVERTEX 3\n*MESH_NUMFACES 1\n*MESH_FACE 0: A: 0 B: 1 C: 2\n"
        "*MESH_VERTEX 0 3e38 3e38 3e38\n*MESH_VERTEX 1 -3e38 0 0\n*MESH_VERTEX 2 nan 0 inf",
        "*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*BITMAP \"" + std::string(5000, 'p') + "\"\n}",
        "*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*BITMAP \"",
        "*MESH_VERTEX *GEOMOBJECT *MESH_NUMVERTEX",
        "*GEOMOBJECT *MESH_TVERT *MESH_TFACE *MESH_FACE *MATERIAL_REF",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 80));
        checkLoad(text, text.size());
    }
}

// Each object start hides in the tail of a line longer than the 99 characters
// the scans pass over at once; the object-starts scan lands on it, the data
// scans pass over it and would read on to the end of the file, for every
// object. A few such objects are read as they are; thousands are refused
// before the work grows with objects times size.
TEST(AseRobustness, HiddenObjectStartsBoundTheWork) {
    const std::string head = "*MESH_VERTEX 0 1 2 3 y";
    const std::string line = head + std::string(111 - head.size(), ' ') + "*GEOMOBJECT\n";
    std::string text = "*GEOMOBJECT\n";
    for (int objects = 1; objects <= 8000; ++objects) {
        text += line;
        if (objects == 4) {
            checkLoad(text, text.size());
            AseLoader loader;
            tModel m;
            ASSERT_TRUE(loader.loadFromMemory(&m, text.data(), text.size()));
            EXPECT_EQ(m.objectCount, 5);
        }
    }
    AseLoader loader;
    tModel m;
    m.objectCount = 7; // whatever it held, a refused file leaves the model empty
    EXPECT_FALSE(loader.loadFromMemory(&m, text.data(), text.size()));
    EXPECT_EQ(m.objectCount, 0);
    EXPECT_TRUE(m.objects.empty());
}

} // namespace
