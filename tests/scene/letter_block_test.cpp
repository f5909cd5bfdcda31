// The letter blocks' settling spin, angle wrap and drawing.
#include "fake_gl.h"

#include "scene/letter_block.h"

#include <gtest/gtest.h>

TEST(LetterBlockTest, StartValuesAreWidenedFloats) {
    const LetterBlock block(0.1f, -1.0f, 2.5f, 30.3f, 7);
    EXPECT_EQ(block.x, double(0.1f));
    EXPECT_EQ(block.y, -1.0);
    EXPECT_EQ(block.z, 2.5);
    EXPECT_EQ(block.angle, double(30.3f));
    EXPECT_EQ(block.listId, 7);
    EXPECT_FALSE(block.carried);
}

TEST(LetterBlockTest, SetDownAt180SettlesIn448Frames) {
    LetterBlock block(0, 0, 0, 180, 2);
    int frames = 0;
    double before;
    do {
        before = block.angle;
        block.updateAndDraw();
        fakegl::reset();
    } while (block.angle != before && ++frames < 10000);
    EXPECT_EQ(frames, 448);
    EXPECT_NEAR(block.angle, 359.2, 1e-6);
}

TEST(LetterBlockTest, WrapAndSpinBoundaries) {
    struct Case {
        double start;
        double afterOne; // angle after one frame
        double afterTwo;
    } cases[] = {
        {0, 0, 0},         {1, 1, 1},   {359, 359, 359},     {358.9, 359.3, 359.3},
        {1.1, 1.5, 1.9},   {360, 0, 0}, {-10, 350.4, 350.8}, {359.4, 359.4, 359.4},
        {370, 10.4, 10.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        LetterBlock block(0, 0, 0, 0, 2);
        block.angle = c.start;
        block.updateAndDraw();
        EXPECT_NEAR(block.angle, c.afterOne, 1e-9);
        block.updateAndDraw();
        EXPECT_NEAR(block.angle, c.afterTwo, 1e-9);
    }
    fakegl::reset();
}

TEST(LetterBlockTest, CarriedBlockDoesNotSpin) {
    LetterBlock block(0, 0, 0, 180, 2);
    block.carried = true;
    block.updateAndDraw();
    EXPECT_EQ(block.angle, 180.0);
    fakegl::reset();
}

TEST(LetterBlockTest, DrawsItsLetterTwiceTheSize) {
    fakegl::reset();
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        letterBlocks[k] = LetterBlock(float(k), 0.0f, float(0.5 * k), 0.0f, k + 2);
    letterBlocks[3].angle = 90;
    for (LetterBlock& block : letterBlocks)
        block.updateAndDraw();

    const char* order[] = {"glPushMatrix", "glColor3f",  "glTranslatef", "glRotatef",
                           "glScalef",     "glCallList", "glPopMatrix"};
    const size_t perBlock = 7;
    ASSERT_EQ(fakegl::calls.size(), perBlock * LETTER_BLOCK_COUNT);
    int depth = 0;
    for (size_t i = 0; i < fakegl::calls.size(); ++i) {
        const GlCall& call = fakegl::calls[i];
        SCOPED_TRACE(testing::Message() << "call " << i << " " << call.name);
        EXPECT_EQ(call.name, order[i % perBlock]);
        depth += call.name == "glPushMatrix";
        depth -= call.name == "glPopMatrix";
        EXPECT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);

    const size_t b3 = 3 * perBlock;
    EXPECT_EQ(fakegl::calls[b3 + 1].args, (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(fakegl::calls[b3 + 2].args, (std::vector<double>{3, 0, 1.5}));
    EXPECT_EQ(fakegl::calls[b3 + 3].args, (std::vector<double>{90.4f, 0, -1, 0}));
    EXPECT_EQ(fakegl::calls[b3 + 4].args, (std::vector<double>{2, 2, 2}));
    EXPECT_EQ(fakegl::calls[b3 + 5].args, (std::vector<double>{5}));
}
