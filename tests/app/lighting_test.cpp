// The light table: slots, the GL calls that send a light, and resets.
#include "app/application.h"
#include "app/lighting.h"

#include "fake_gl.h"

#include <gtest/gtest.h>

namespace {

const float AMBIENT[4] = {0.7f, 0.8f, 0.5f, 0.0f};
const float DIFFUSE[4] = {0.7f, 0.7f, 0.5f, 0.0f};
const float SPECULAR[4] = {0.1f, 0.1f, 0.1f, 0.0f};
const float POSITION[4] = {0.0f, 5.0f, 0.0f, 0.0f};

class LightingTest : public testing::Test {
  protected:
    void SetUp() override {
        application.resetLights();
        fakegl::reset();
    }
};

void expectLightCall(const GlCall& call, GLenum light, GLenum parameter, const float* values) {
    ASSERT_EQ(call.name, "glLightfv");
    EXPECT_EQ(call.args[0], light);
    EXPECT_EQ(call.args[1], parameter);
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(call.args[2 + i], values[i]) << "component " << i;
}

TEST_F(LightingTest, FirstLightTakesSlotZeroAndSendsItInOrder) {
    EXPECT_TRUE(application.addLight(AMBIENT, DIFFUSE, SPECULAR, POSITION));
    EXPECT_TRUE(lights[0].used);
    EXPECT_EQ(lights[0].number, 0);
    EXPECT_FALSE(lights[1].used);

    ASSERT_EQ(fakegl::calls.size(), 5u);
    expectLightCall(fakegl::calls[0], GL_LIGHT0, GL_SPECULAR, SPECULAR);
    expectLightCall(fakegl::calls[1], GL_LIGHT0, GL_DIFFUSE, DIFFUSE);
    expectLightCall(fakegl::calls[2], GL_LIGHT0, GL_AMBIENT, AMBIENT);
    expectLightCall(fakegl::calls[3], GL_LIGHT0, GL_POSITION, POSITION);
    EXPECT_EQ(fakegl::calls[4].name, "glEnable");
    EXPECT_EQ(fakegl::calls[4].args[0], GL_LIGHT0);
}

TEST_F(LightingTest, TenSlotsThenTheEleventhIsRefusedWithoutTouchingGL) {
    for (int i = 0; i < MAX_LIGHTS; ++i) {
        SCOPED_TRACE(i);
        fakegl::reset();
        ASSERT_TRUE(application.addLight(AMBIENT, DIFFUSE, SPECULAR, POSITION));
        EXPECT_EQ(lights[i].number, i);
        EXPECT_EQ(fakegl::calls.back().args[0], GL_LIGHT0 + i);
    }
    fakegl::reset();
    const LightSlot before = lights[MAX_LIGHTS - 1];
    EXPECT_FALSE(application.addLight(DIFFUSE, DIFFUSE, DIFFUSE, DIFFUSE));
    EXPECT_TRUE(fakegl::calls.empty());
    EXPECT_EQ(lights[MAX_LIGHTS - 1].ambient[0], before.ambient[0]);
}

TEST_F(LightingTest, ResetFreesEverySlotAndWhitensColoursWithoutDisablingLights) {
    application.addLight(AMBIENT, DIFFUSE, SPECULAR, POSITION);
    application.addLight(AMBIENT, DIFFUSE, SPECULAR, POSITION);
    fakegl::reset();
    application.resetLights();

    ASSERT_EQ(fakegl::calls.size(), 1u);
    EXPECT_EQ(fakegl::calls[0].name, "glEnable");
    EXPECT_EQ(fakegl::calls[0].args[0], GL_LIGHTING);
    for (const LightSlot& slot : lights) {
        EXPECT_FALSE(slot.used);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(slot.ambient[c], 1.0f);
            EXPECT_EQ(slot.diffuse[c], 1.0f);
            EXPECT_EQ(slot.specular[c], 1.0f);
            EXPECT_EQ(slot.position[c], 0.0f);
        }
    }
    EXPECT_EQ(lights[1].number, 1) << "a reset leaves the slot number alone";
    EXPECT_TRUE(application.addLight(AMBIENT, DIFFUSE, SPECULAR, POSITION));
    EXPECT_EQ(fakegl::calls.back().args[0], GL_LIGHT0);
}

TEST_F(LightingTest, StoredCopiesDoNotFollowTheCallersArrays) {
    float ambient[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    application.addLight(ambient, DIFFUSE, SPECULAR, POSITION);
    ambient[0] = 9.0f;
    EXPECT_FLOAT_EQ(lights[0].ambient[0], 0.1f);
}

} // namespace
