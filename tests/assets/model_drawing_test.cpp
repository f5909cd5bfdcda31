// What drawModel records: texture state per object, the order of calls per
// corner, and balanced begin/end.
#include "assets/model_drawing.h"
#include "fake_gl.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

namespace {

t3DObject triangle(bool textured, int32_t materialIndex) {
    t3DObject o;
    o.vertexCount = 3;
    o.faceCount = 1;
    o.materialIndex = materialIndex;
    o.hasTexture = textured;
    o.vertices = {tVector3(0, 0, 0), tVector3(1, 0, 0), tVector3(0, 1, 0)};
    o.normals = {tVector3(0, 0, 1), tVector3(0, 0, 1), tVector3(0, 0, 1)};
    o.faces = {tFace{{0, 1, 2}, {2, 1, 0}}};
    if (textured) {
        o.texCoordCount = 3;
        o.texCoords = {tVector2{0, 0}, tVector2{1, 0}, tVector2{0, 1}};
    }
    return o;
}

tModel modelOf(std::vector<t3DObject> objects) {
    tModel m;
    m.materialCount = 2;
    m.materials.resize(2);
    for (tMaterialInfo& material : m.materials)
        material = tMaterialInfo{};
    m.materials[0].textureId = 7;
    m.materials[1].color[0] = 10;
    m.materials[1].color[1] = 20;
    m.materials[1].color[2] = 30;
    m.objectCount = int32_t(objects.size());
    m.objects = std::move(objects);
    return m;
}

TEST(ModelDrawing, TexturedThenUntexturedObject) {
    fakegl::reset();
    const tModel m = modelOf({triangle(true, 0), triangle(false, 1)});
    drawModel(&m);
    const size_t enable = fakegl::find("glEnable");
    const size_t bind = fakegl::find("glBindTexture");
    const size_t firstBegin = fakegl::find("glBegin");
    const size_t disable = fakegl::find("glDisable");
    const size_t secondBegin = fakegl::find("glBegin", firstBegin + 1);
    ASSERT_LT(secondBegin, fakegl::calls.size());
    EXPECT_LT(enable, bind);
    EXPECT_LT(bind, firstBegin);
    EXPECT_LT(fakegl::find("glEnd"), disable);
    EXPECT_LT(disable, secondBegin);
    EXPECT_EQ(fakegl::calls[enable].args[0], double(GL_TEXTURE_2D));
    EXPECT_EQ(fakegl::calls[disable].args[0], double(GL_TEXTURE_2D));
    EXPECT_EQ(fakegl::calls[bind].args[1], 7.0);
    EXPECT_EQ(fakegl::count("glBegin"), fakegl::count("glEnd"));
    EXPECT_EQ(fakegl::calls[firstBegin].args[0], double(GL_TRIANGLES));

    // Textured corners: normal, texture coordinate, vertex; no colour inside.
    for (size_t i = firstBegin + 1, corner = 0; corner < 3; i += 3, ++corner) {
        SCOPED_TRACE("textured corner " + std::to_string(corner));
        EXPECT_EQ(fakegl::calls[i].name, "glNormal3f");
        EXPECT_EQ(fakegl::calls[i + 1].name, "glTexCoord2f");
        EXPECT_EQ(fakegl::calls[i + 2].name, "glVertex3f");
    }
    // The texture face's own indices pick the coordinates: 2, 1, 0.
    EXPECT_EQ(fakegl::calls[firstBegin + 2].args, (std::vector<double>{0, 1}));
    EXPECT_EQ(fakegl::calls[firstBegin + 10].name, "glEnd");

    // Untextured: white before begin, then the material colour before each vertex.
    EXPECT_EQ(fakegl::calls[secondBegin - 1].name, "glColor3ub");
    EXPECT_EQ(fakegl::calls[secondBegin - 1].args, (std::vector<double>{255, 255, 255}));
    for (size_t i = secondBegin + 1, corner = 0; corner < 3; i += 3, ++corner) {
        SCOPED_TRACE("coloured corner " + std::to_string(corner));
        EXPECT_EQ(fakegl::calls[i].name, "glNormal3f");
        EXPECT_EQ(fakegl::calls[i + 1].name, "glColor3ub");
        EXPECT_EQ(fakegl::calls[i + 1].args, (std::vector<double>{10, 20, 30}));
        EXPECT_EQ(fakegl::calls[i + 2].name, "glVertex3f");
    }
}

TEST(ModelDrawing, ObjectsWithoutTheirMaterial) {
    for (int32_t index : {-1, 2, INT32_MIN}) {
        SCOPED_TRACE(index);
        fakegl::reset();
        const tModel m = modelOf({triangle(true, index), triangle(false, index)});
        drawModel(&m);
        // A textured object binds GL's empty texture; an untextured one stays white.
        ASSERT_EQ(fakegl::count("glBindTexture"), 1u);
        EXPECT_EQ(fakegl::named("glBindTexture")[0].args[1], 0.0);
        EXPECT_EQ(fakegl::count("glColor3ub"), 2u);
        EXPECT_EQ(fakegl::count("glVertex3f"), 6u);
    }
}

TEST(ModelDrawing, EmptyObjectsAndModels) {
    fakegl::reset();
    t3DObject empty;
    const tModel m = modelOf({empty});
    drawModel(&m);
    const size_t begin = fakegl::find("glBegin");
    ASSERT_LT(begin + 1, fakegl::calls.size());
    EXPECT_EQ(fakegl::calls[begin + 1].name, "glEnd");

    fakegl::reset();
    const tModel none;
    drawModel(&none);
    drawModel(nullptr);
    EXPECT_TRUE(fakegl::calls.empty());
}

} // namespace
