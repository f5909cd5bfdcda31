// The reader on small files that each show one rule, on the three real files,
// and on broken input.
#include "assets/ase_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> texturesAsked;

void recordTexture(const char* path, unsigned* name) {
    texturesAsked.push_back(path);
    *name = unsigned(100 + texturesAsked.size());
}

tModel read(const std::string& text) {
    AseLoader loader;
    loader.textureLoader = recordTexture;
    tModel model;
    EXPECT_TRUE(loader.loadFromMemory(&model, text.data(), text.size()));
    return model;
}

std::string object(const std::string& body) {
    return "*GEOMOBJECT {\n" + body + "}\n";
}

void expectVector(const tVector3& v, float x, float y, float z, float tolerance = 0.0f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

TEST(AseLoader, VertexAxesTurnSoThatTheFilesThirdAxisIsUp) {
    const tModel m = read(object("*MESH_NUMVERTEX 1\n*MESH_VERTEX 0 1.0 2.0 3.0\n"));
    ASSERT_EQ(m.objectCount, 1);
    ASSERT_EQ(m.objects[0].vertexCount, 1);
    expectVector(m.objects[0].vertices[0], 1, 3, -2);
}

TEST(AseLoader, FaceLinesWithAnyWhiteSpaceAndTrailingEdgeFlags) {
    const char* faceLines[] = {
        "*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0\n",
        "*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING "
        "1 \t*MESH_MTLID 0\n",
        "*MESH_FACE\t0:\tA:\t0\tB:\t1\tC:\t2\tAB:\t1\n",
        "*MESH_FACE 0:A:0 B:1 C:2\n",
    };
    for (const char* line : faceLines) {
        SCOPED_TRACE(line);
        const tModel m = read(object("*MESH_NUMVERTEX 3\n*MESH_NUMFACES 1\n" + std::string(line) +
                                     "*MESH_NUMTVERTEX 6\n*MESH_TVERT 5 0 0 0\n"
                                     "*MESH_TFACE 0 3 4 5\n"));
        ASSERT_EQ(m.objects[0].faceCount, 1);
        const tFace& f = m.objects[0].faces[0];
        EXPECT_EQ(f.vertexIndex[0], 0);
        EXPECT_EQ(f.vertexIndex[1], 1);
        EXPECT_EQ(f.vertexIndex[2], 2);
        // The texture face line has no colon after its number.
        EXPECT_EQ(f.texCoordIndex[0], 3);
        EXPECT_EQ(f.texCoordIndex[1], 4);
        EXPECT_EQ(f.texCoordIndex[2], 5);
    }
}

TEST(AseLoader, TextureCoordinatesAreTiledByTheObjectsMaterial) {
    const std::string materials = "*MATERIAL_COUNT 2\n"
                                  "*MATERIAL 0 {\n*MATERIAL_NAME \"Plain\"\n}\n"
                                  "*MATERIAL 1 {\n*MAP_DIFFUSE {\n*UVW_U_TILING 2.0\n"
                                  "*UVW_V_TILING 4.0\n}\n}\n";
    // The reference comes after the coordinates, as exporters write it.
    const struct {
        const char* reference;
        float u, v;
    } cases[] = {{"*MATERIAL_REF 1", 1.0f, 1.0f}, {"*MATERIAL_REF 0", 0.0f, 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reference);
        const tModel m = read(materials + object("*MESH_NUMTVERTEX 1\n*MESH_TVERT 0 0.5 0.25 0\n" +
                                                 std::string(c.reference) + "\n"));
        ASSERT_EQ(m.objects[0].texCoordCount, 1);
        EXPECT_TRUE(m.objects[0].hasTexture);
        EXPECT_FLOAT_EQ(m.objects[0].texCoords[0].u, c.u);
        EXPECT_FLOAT_EQ(m.objects[0].texCoords[0].v, c.v);
    }
}

TEST(AseLoader, MaterialReferenceIsTruncated) {
    const struct {
        const char* value;
        int32_t index;
    } cases[] = {{"1.9", 1}, {"-1.9", -1}, {"x", 0}, {"nan", INT32_MIN}, {"1e30", INT32_MIN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const tModel m = read(object("*MATERIAL_REF " + std::string(c.value) + "\n"));
        EXPECT_EQ(m.objects[0].materialIndex, c.index);
    }
}

TEST(AseLoader, MaterialCountDecidesHowManyBlocksAreRead) {
    const std::string blocks = "*MATERIAL 0 {\n*MATERIAL_NAME \"First\"\n}\n"
                               "*MATERIAL 1 {\n*MATERIAL_NAME \"Second\"\n}\n";
    const tModel more = read("*MATERIAL_LIST {\n*MATERIAL_COUNT 4\n" + blocks + "}\n");
    ASSERT_EQ(more.materialCount, 4);
    ASSERT_EQ(more.materials.size(), 4u);
    EXPECT_STREQ(more.materials[1].name, "Second");
    const tMaterialInfo zero{};
    for (int i : {2, 3})
        EXPECT_EQ(std::memcmp(&more.materials[i], &zero, sizeof zero), 0) << i;

    const tModel fewer = read("*MATERIAL_LIST {\n*MATERIAL_COUNT 1\n" + blocks + "}\n");
    ASSERT_EQ(fewer.materials.size(), 1u);
    EXPECT_STREQ(fewer.materials[0].name, "First");

    const tModel none = read(blocks);
    EXPECT_EQ(none.materialCount, 0);
    const tModel negative = read("*MATERIAL_COUNT -3\n" + blocks);
    EXPECT_EQ(negative.materialCount, 0);
    const tModel huge = read("*MATERIAL_COUNT 2000000000\n" + blocks);
    EXPECT_EQ(huge.materialCount, 0);

    // A count far beyond the blocks that a 50 kB file holds gives those blocks;
    // objects that name a material declared beyond them share one all-zero
    // material behind them, which draws and tiles as before.
    const tModel cut = read("*MATERIAL_COUNT 5000\n" + blocks + std::string(50000, ' ') +
                            object("*MATERIAL_REF 4999\n") + object("*MATERIAL_REF 1\n"));
    ASSERT_EQ(cut.materialCount, 3);
    ASSERT_EQ(cut.materials.size(), 3u);
    EXPECT_STREQ(cut.materials[1].name, "Second");
    EXPECT_EQ(std::memcmp(&cut.materials[2], &zero, sizeof zero), 0);
    EXPECT_EQ(cut.objects[0].materialIndex, 2);
    EXPECT_EQ(cut.objects[1].materialIndex, 1);
}

TEST(AseLoader, NestedBlocksBelongToTheirMaterial) {
    const tModel m = read("*MATERIAL_COUNT 1\n*MATERIAL 0 {\n"
                          "*MATERIAL_NAME \"Brick wall\"\n"
                          "*MATERIAL_DIFFUSE 0.1 0.2 0.3\n"
                          "*MAP_DIFFUSE {\n*MATERIAL_DIFFUSE 0.4 0.5 1.5\n"
                          "*BITMAP \"maps\\brick red.bmp\"\n}\n}\n");
    ASSERT_EQ(m.materials.size(), 1u);
    const tMaterialInfo& material = m.materials[0];
    EXPECT_STREQ(material.name, "Brick wall");
    EXPECT_STREQ(material.textureFile, "maps\\brick red.bmp");
    EXPECT_FLOAT_EQ(material.diffuseColor[0], 0.4f);
    EXPECT_FLOAT_EQ(material.diffuseColor[2], 1.5f);
    EXPECT_EQ(material.color[0], 102);
    EXPECT_EQ(material.color[1], 128);
    EXPECT_EQ(material.color[2], 255);
}

TEST(AseLoader, QuotedValues) {
    const struct {
        std::string line;
        const char* name;
    } cases[] = {
        {"*MATERIAL_NAME \"Plain\"", "Plain"},
        {"*MATERIAL_NAME \"two words \"", "two words "},
        {"*MATERIAL_NAME \"\"", ""},
        {"*MATERIAL_NAME Unquoted", "Before"},
        {"*MATERIAL_NAME \"unclosed", "Before"},
        {"*MATERIAL_NAME \"" + std::string(255, 'n') + "\"", "Before"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const tModel m = read("*MATERIAL_COUNT 1\n*MATERIAL 0 {\n*MATERIAL_NAME \"Before\"\n" +
                              c.line + "\n}\n");
        EXPECT_STREQ(m.materials[0].name, c.name);
    }
}

TEST(AseLoader, TexturesAreLoadedInMaterialOrder) {
    texturesAsked.clear();
    const tModel m = read("*MATERIAL_COUNT 3\n"
                          "*MATERIAL 0 {\n*BITMAP \"a.bmp\"\n}\n"
                          "*MATERIAL 1 {\n}\n"
                          "*MATERIAL 2 {\n*BITMAP \"c.bmp\"\n}\n");
    ASSERT_EQ(texturesAsked.size(), 2u);
    EXPECT_EQ(texturesAsked[0], "a.bmp");
    EXPECT_EQ(texturesAsked[1], "c.bmp");
    EXPECT_EQ(m.materials[0].textureId, 101u);
    EXPECT_EQ(m.materials[1].textureId, 0u);
    EXPECT_EQ(m.materials[2].textureId, 102u);
}

TEST(AseLoader, NormalsOfOneAndTwoTriangles) {
    // File vertices are (x, -z, y) of the corners wanted after the axis turn.
    const std::string vertices = "*MESH_NUMVERTEX 4\n"
                                 "*MESH_VERTEX 0 0 0 0\n*MESH_VERTEX 1 1 0 0\n"
                                 "*MESH_VERTEX 2 0 0 1\n*MESH_VERTEX 3 1 -1 1\n";
    const tModel one = read(object(vertices + "*MESH_NUMFACES 1\n*MESH_FACE 0: A: 0 B: 1 C: 2\n"));
    for (int v = 0; v < 3; ++v)
        expectVector(one.objects[0].normals[size_t(v)], 0, 0, 1, 1e-6f);
    // The vertex no face uses points up instead of holding not-a-number.
    expectVector(one.objects[0].normals[3], 0, 1, 0);

    const tModel two = read(object(vertices + "*MESH_NUMFACES 2\n*MESH_FACE 0: A: 0 B: 1 C: 2\n"
                                              "*MESH_FACE 1: A: 1 B: 3 C: 2\n"));
    const t3DObject& o = two.objects[0];
    expectVector(o.normals[0], 0, 0, 1, 1e-6f);
    expectVector(o.normals[1], -0.408f, -0.408f, 0.816f, 1e-3f);
    expectVector(o.normals[2], -0.408f, -0.408f, 0.816f, 1e-3f);
    expectVector(o.normals[3], -0.577f, -0.577f, 0.577f, 1e-3f);
}

TEST(AseLoader, FacesThatNameMissingVerticesAreDropped) {
    const tModel m = read(object("*MESH_NUMVERTEX 3\n*MESH_NUMFACES 4\n"
                                 "*MESH_FACE 0: A: 0 B: 1 C: 2\n"
                                 "*MESH_FACE 1: A: 0 B: 1 C: 3\n"
                                 "*MESH_FACE 2: A: -1 B: 1 C: 2\n"
                                 "*MESH_FACE 3: A: 2 B: 1 C: 0\n"
                                 "*MESH_FACE 9: A: 0 B: 0 C: 0\n"
                                 "*MESH_VERTEX 7 1 1 1\n"));
    const t3DObject& o = m.objects[0];
    ASSERT_EQ(o.faceCount, 2);
    ASSERT_EQ(o.faces.size(), 2u);
    EXPECT_EQ(o.faces[1].vertexIndex[0], 2);
    for (const tVector3& v : o.vertices) // the line for vertex 7 went nowhere
        expectVector(v, 0, 0, -0.0f);

    // In a textured object, texture indices must name coordinates too.
    const tModel textured = read(object("*MESH_NUMVERTEX 3\n*MESH_NUMFACES 2\n"
                                        "*MESH_NUMTVERTEX 1\n*MESH_TVERT 0 0 0 0\n"
                                        "*MESH_FACE 0: A: 0 B: 1 C: 2\n*MESH_TFACE 0 0 0 0\n"
                                        "*MESH_FACE 1: A: 0 B: 1 C: 2\n*MESH_TFACE 1 0 1 0\n"));
    EXPECT_EQ(textured.objects[0].faceCount, 1);
}

TEST(AseLoader, CountsThatCannotBeHeldAreRefused) {
    const tModel m = read(object("*MESH_NUMVERTEX -5\n*MESH_NUMFACES 100000000\n"
                                 "*MESH_NUMTVERTEX 2147483647\n*MESH_VERTEX 0 1 2 3\n"
                                 "*MESH_FACE 0: A: 0 B: 0 C: 0\n"));
    const t3DObject& o = m.objects[0];
    EXPECT_EQ(o.vertexCount, 0);
    EXPECT_EQ(o.faceCount, 0);
    EXPECT_EQ(o.texCoordCount, 0);
    EXPECT_TRUE(o.vertices.empty() && o.faces.empty() && o.texCoords.empty());
}

TEST(AseLoader, FilesWithoutObjects) {
    for (const char* text : {"", "   \n", "*MATERIAL_LIST {\n*MATERIAL_COUNT 0\n}\n"}) {
        SCOPED_TRACE(text);
        const tModel m = read(text);
        EXPECT_EQ(m.objectCount, 0);
        EXPECT_TRUE(m.objects.empty());
    }
}

TEST(AseLoader, OpenFailureAndNullArguments) {
    AseLoader loader;
    loader.textureLoader = recordTexture;
    tModel model;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loader.load(&model, "no\\such\\model.ase"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Unable to find or open the file: no\\such\\model.ase\n");
    EXPECT_FALSE(loader.load(nullptr, "x.ase"));
    EXPECT_FALSE(loader.load(&model, nullptr));
    EXPECT_EQ(model.objectCount, 0);
}

TEST(AseLoader, RealFilesLoadWithTheirDeclaredCounts) {
    const struct {
        const char* name;
        int materials;
        std::vector<int> vertices, faces, texCoords, materialIndex;
    } files[] = {
        {"three_cubes.ASE", 3, {8, 8, 8}, {12, 12, 12}, {0, 0, 0}, {0, 1, 2}},
        {"uv_textured.ASE", 1, {25}, {32}, {35}, {0}},
        {"camera_roll_anim.ase", 0, {8, 8}, {12, 12}, {12, 12}, {0, 0}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        texturesAsked.clear();
        AseLoader loader;
        loader.textureLoader = recordTexture;
        tModel m;
        // Backslashes as the program writes its asset paths.
        const std::string path = std::string(LETTERBOT_TEST_DATA_DIR) + "\\ase\\" + file.name;
        ASSERT_TRUE(loader.load(&m, path.c_str()));
        EXPECT_EQ(m.materialCount, file.materials);
        ASSERT_EQ(m.objects.size(), file.vertices.size());
        for (size_t i = 0; i < m.objects.size(); ++i) {
            const t3DObject& o = m.objects[i];
            EXPECT_EQ(o.vertexCount, file.vertices[i]);
            EXPECT_EQ(o.faceCount, file.faces[i]);
            EXPECT_EQ(o.texCoordCount, file.texCoords[i]);
            EXPECT_EQ(o.materialIndex, file.materialIndex[i]);
            EXPECT_EQ(o.hasTexture, file.texCoords[i] > 0);
            for (const tVector3& n : o.normals)
                EXPECT_NEAR(vectorLength(n), 1.0f, 1e-5f);
        }
    }
    // The textured file names an image that is not here; the seam gets it as written.
    ASSERT_EQ(texturesAsked.size(), 0u);
    AseLoader loader;
    loader.textureLoader = recordTexture;
    tModel m;
    ASSERT_TRUE(
        loader.load(&m, (std::string(LETTERBOT_TEST_DATA_DIR) + "/ase/uv_textured.ASE").c_str()));
    ASSERT_EQ(texturesAsked.size(), 1u);
    EXPECT_EQ(texturesAsked[0], "..\\..\\3DS\\UVTransformTest\\UVTransformTestImg.png");
    EXPECT_FLOAT_EQ(m.materials[0].uTiling, 1.0f);
}

} // namespace
