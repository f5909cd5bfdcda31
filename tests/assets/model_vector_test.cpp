// The vector operations behind the vertex normals, and the zero state of new records.
#include "assets/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

TEST(ModelVector, Operations) {
    const tVector3 c = crossProduct(tVector3(1, 0, 0), tVector3(0, 1, 0));
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 0.0f);
    EXPECT_EQ(c.z, 1.0f);
    const tVector3 u = unitVector(tVector3(0, 3, 4));
    EXPECT_FLOAT_EQ(u.y, 0.6f);
    EXPECT_FLOAT_EQ(u.z, 0.8f);
    EXPECT_TRUE(std::isnan(unitVector(tVector3(0, 0, 0)).x));
    const tVector3 d = difference(tVector3(1, 2, 3), tVector3(3, 2, 1)) / -2.0f;
    EXPECT_EQ(d.x, 1.0f);
    EXPECT_EQ(d.z, -1.0f);
    EXPECT_EQ(vectorLength(tVector3(2, 3, 6)), 7.0f);
}

TEST(ModelVector, NewRecordsAreEmpty) {
    const tMaterialInfo material{};
    const tMaterialInfo zero = [] {
        tMaterialInfo m;
        std::memset(&m, 0, sizeof m);
        return m;
    }();
    EXPECT_EQ(std::memcmp(&material, &zero, sizeof zero), 0);
    const t3DObject object;
    EXPECT_EQ(object.vertexCount + object.faceCount + object.texCoordCount, 0);
    EXPECT_EQ(object.materialIndex, 0);
    EXPECT_FALSE(object.hasTexture);
    const tModel model;
    EXPECT_EQ(model.objectCount, 0);
    EXPECT_TRUE(model.objects.empty() && model.materials.empty());
}

} // namespace
