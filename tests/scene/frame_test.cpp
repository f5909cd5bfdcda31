// The order of a frame: clear, camera, unlit ground, robots, letters, district.
#include "scene/scene.h"
#include "scene/letter_block.h"

#include "fake_gl.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameTest, DrawsGroundUnlitThenRobotsLettersAndDistrict) {
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        letterBlocks[k] = LetterBlock(float(k), 0.0f, float(0.5 * k), 0.0f, k + 2);
    fakegl::reset();
    drawFrame();
    const auto& calls = fakegl::calls;
    ASSERT_GE(calls.size(), 12u);
    EXPECT_EQ(calls[0].name, "glClear");
    EXPECT_EQ(calls[0].args[0], GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(calls[1].name, "glLoadIdentity");
    EXPECT_EQ(calls[2].name, "gluLookAt");
    EXPECT_EQ(calls[3].name, "glDisable");
    EXPECT_EQ(calls[3].args[0], GL_LIGHTING);
    EXPECT_EQ(calls[4].name, "glBegin");
    EXPECT_EQ(calls[4].args[0], GL_QUADS);
    EXPECT_EQ(calls[5].name, "glColor3f");
    EXPECT_EQ(calls[5].args, (std::vector<double>{0, 1, 0}));
    const std::vector<std::vector<double>> corners = {
        {100, -1, -100}, {100, -1, 100}, {-100, -1, 100}, {-100, -1, -100}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(calls[6 + i].name, "glVertex3f");
        EXPECT_EQ(calls[6 + i].args, corners[i]);
    }
    EXPECT_EQ(calls[10].name, "glEnd");
    EXPECT_EQ(calls[11].name, "glEnable");
    EXPECT_EQ(calls[11].args[0], GL_LIGHTING);

    // Two robots, the eleven letters in block order, the district last.
    std::vector<double> lists;
    for (const GlCall& call : fakegl::named("glCallList"))
        lists.push_back(call.args[0]);
    EXPECT_EQ(lists, (std::vector<double>{1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(calls.back().name, "glCallList");
    EXPECT_EQ(fakegl::count("glPushMatrix"), fakegl::count("glPopMatrix"));
    EXPECT_EQ(fakegl::count("glEnable"), 1u) << "the frame itself enables only lighting";
}

TEST(FrameTest, SettlingSpinAdvancesOncePerFrame) {
    letterBlocks[0] = LetterBlock(0.0f, 0.0f, 0.0f, 180.0f, 2);
    drawFrame();
    drawFrame();
    EXPECT_NEAR(letterBlocks[0].angle, 180.8, 1e-9);
}

} // namespace
