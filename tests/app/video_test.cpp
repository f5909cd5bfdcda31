// The fixed GL state of the window and the per-pass input snapshot.
#include "app/application.h"

#include "fake_gl.h"
#include "fake_sdl.h"

#include <gtest/gtest.h>

namespace {

class VideoTest : public testing::Test {
  protected:
    void SetUp() override {
        fakegl::reset();
        fakesdl::reset();
        application.setVideo(1024, 768);
    }
};

TEST_F(VideoTest, FixedStateWithLighting) {
    fakegl::reset();
    application.initGL(APP_LIGHTING);

    EXPECT_EQ(application.width, 1024);
    EXPECT_EQ(application.height, 768);
    EXPECT_EQ(application.bpp, 16);
    const auto viewport = fakegl::named("glViewport");
    ASSERT_EQ(viewport.size(), 1u);
    EXPECT_EQ(viewport[0].args, (std::vector<double>{0, 0, 1024, 768}));

    // The projection is loaded before the matrix mode returns to modelview.
    const size_t projection = fakegl::find("glMatrixMode");
    ASSERT_LT(projection, fakegl::calls.size());
    EXPECT_EQ(fakegl::calls[projection].args[0], GL_PROJECTION);
    EXPECT_EQ(fakegl::calls[projection + 1].name, "glLoadIdentity");
    EXPECT_EQ(fakegl::calls[projection + 2].name, "glFrustum");
    EXPECT_EQ(fakegl::calls[projection + 2].args, (std::vector<double>{-2, 2, -2, 2, 3, 55}));
    EXPECT_EQ(fakegl::calls[projection + 3].name, "glMatrixMode");
    EXPECT_EQ(fakegl::calls[projection + 3].args[0], GL_MODELVIEW);

    EXPECT_EQ(fakegl::named("glDepthFunc")[0].args[0], GL_LESS);
    bool depthTest = false, lighting = false;
    for (const GlCall& call : fakegl::named("glEnable")) {
        depthTest |= call.args[0] == GL_DEPTH_TEST;
        lighting |= call.args[0] == GL_LIGHTING;
    }
    EXPECT_TRUE(depthTest);
    EXPECT_TRUE(lighting);
    EXPECT_EQ(fakegl::calls.back().name, "glShadeModel");
    EXPECT_EQ(fakegl::calls.back().args[0], GL_SMOOTH);
}

TEST_F(VideoTest, WithoutTheLightingFlagLightingStaysOff) {
    fakegl::reset();
    application.initGL(0);
    for (const GlCall& call : fakegl::named("glEnable"))
        EXPECT_NE(call.args[0], GL_LIGHTING);
}

TEST_F(VideoTest, SnapshotRefreshesKeysAndMouseWithNoEventPending) {
    fakesdl::mouseX = 12;
    fakesdl::mouseY = 34;
    fakesdl::mouseButtons = SDL_BUTTON_LMASK | SDL_BUTTON_MMASK;
    fakesdl::keys[SDLK_RIGHT] = 1;
    application.updateInput();
    EXPECT_EQ(fakesdl::pollCount, 1);
    EXPECT_EQ(application.mouseX, 12);
    EXPECT_EQ(application.mouseY, 34);
    EXPECT_EQ(application.mouseButtons, 3);
    ASSERT_NE(application.keys, nullptr);
    EXPECT_TRUE(application.keys[SDLK_RIGHT]);
}

} // namespace
