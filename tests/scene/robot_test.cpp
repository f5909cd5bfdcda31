// The fetching robot's geometry, turning, walking, pacing and decisions at the
// boundaries, on a fake clock.
#include "fake_gl.h"
#include "fake_sdl.h"
#include "stdout_capture.h"

#include "scene/letter_block.h"
#include "scene/robot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

void placeBlocksOnDiagonal() {
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        letterBlocks[k] = LetterBlock(float(k), 0.0f, float(0.5 * k), 0.0f, k + 2);
}

// One update at the given tick; returns what it printed.
std::string updateAt(Robot& r, uint32_t tick) {
    fakesdl::ticks = tick;
    StdoutCapture capture;
    beginCapture(capture);
    r.update();
    return endCapture(capture);
}

// A robot standing at (x, z), facing its target (tx, tz), walk and turn long overdue.
Robot facing(double x, double z, double tx, double tz) {
    Robot r(x, 0.0, z);
    r.targetX = tx;
    r.targetZ = tz;
    r.heading = headingTo(x, z, tx, tz);
    r.desiredHeading = r.heading;
    r.lastWalkTick = r.lastTurnTick = 0;
    return r;
}

class RobotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fakesdl::reset();
        fakegl::reset();
        placeBlocksOnDiagonal();
    }
};

} // namespace

TEST_F(RobotTest, HeadingUsesTheRoughPiAndTheAllZeroRule) {
    EXPECT_EQ(headingTo(0, 0, 0, 0), 0.0);
    EXPECT_EQ(headingTo(2, 3, 7, 3), 0.0);
    EXPECT_NEAR(headingTo(0, 0, 0, 1), 90.0456, 1e-4);
    EXPECT_NEAR(headingTo(0, 0, -1, 0), 180.0913, 1e-4);
    EXPECT_NEAR(headingTo(0, 0, 0, -1), 270.0456, 1e-4);
    EXPECT_NEAR(headingTo(0, 0, 1, -1e-9), 360.0913, 1e-4);
    // Standing on a target away from the origin has no heading.
    EXPECT_TRUE(std::isnan(headingTo(1, 1, 1, 1)));
}

TEST_F(RobotTest, PlanarDistance) {
    EXPECT_EQ(planarDistance(0, 0, 3, 4), 5.0f);
    EXPECT_EQ(planarDistance(3, 4, 0, 0), 5.0f);
    EXPECT_EQ(planarDistance(-1.5f, 2, -1.5f, 2), 0.0f);
}

TEST_F(RobotTest, TurnsThroughZeroAlongTheShorterArc) {
    double heading = 10;
    std::vector<double> steps;
    while (needsTurn(heading, 350) && steps.size() < 100) {
        heading = turnedHeading(heading, 350);
        steps.push_back(heading);
    }
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_DOUBLE_EQ(steps[0], 5.5);
    EXPECT_DOUBLE_EQ(steps[1], 1.0);
    EXPECT_DOUBLE_EQ(steps[2], 356.5);
    EXPECT_DOUBLE_EQ(steps[3], 352.0);

    EXPECT_DOUBLE_EQ(turnedHeading(350, 10), 354.5);
    EXPECT_DOUBLE_EQ(turnedHeading(358, 20), 2.5); // across 360
    // Exactly opposite: the way that does not cross 0/360.
    EXPECT_DOUBLE_EQ(turnedHeading(0, 180), 4.5);
    EXPECT_DOUBLE_EQ(turnedHeading(180, 0), 175.5);
}

TEST_F(RobotTest, GapBoundaries) {
    struct Case {
        double heading, desired;
        bool turns;
    } cases[] = {{0, 4, true},    {0, 3.9, false}, {0, 356, true},    {0, 356.1, false},
                 {359, 2, false}, {10, 350, true}, {352, 350, false}, {0, 180.0913, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.heading << " towards " << c.desired);
        EXPECT_EQ(needsTurn(c.heading, c.desired), c.turns);
        EXPECT_EQ(needsTurn(c.desired, c.heading), c.turns);
    }
}

TEST_F(RobotTest, WalksAcrossZeroWithoutTurning) {
    // Heading 359 towards a target at about 2 degrees.
    Robot r = facing(0, 0, 10, 0.35);
    ASSERT_NEAR(r.desiredHeading, 2.0, 0.05);
    r.heading = 359;
    updateAt(r, 100);
    EXPECT_EQ(r.heading, 359.0);
    EXPECT_GT(r.x, 0.49);
}

TEST_F(RobotTest, WalkAndTurnAreDueOnlyAfterTheirIntervals) {
    Robot r = facing(0, 0, 10, 0);
    r.lastWalkTick = 1000;
    updateAt(r, 1030);
    EXPECT_EQ(r.x, 0.0) << "exactly 30 ms is not enough";
    updateAt(r, 1031);
    EXPECT_EQ(r.x, 0.5);
    EXPECT_EQ(r.lastWalkTick, 1031u);

    Robot t = facing(0, 0, -10, 0);
    t.heading = 0;
    t.lastTurnTick = 1000;
    updateAt(t, 1010);
    EXPECT_EQ(t.heading, 0.0);
    updateAt(t, 1011);
    EXPECT_GT(t.heading, 0.0);
    EXPECT_EQ(t.lastTurnTick, 1011u);
}

TEST_F(RobotTest, TimersSurviveTheTickWrap) {
    Robot r = facing(0, 0, 10, 0);
    r.lastWalkTick = 0xFFFFFFF0u;
    updateAt(r, 0x0Eu); // 30 ms later
    EXPECT_EQ(r.x, 0.0);
    updateAt(r, 0x0Fu); // 31 ms later
    EXPECT_EQ(r.x, 0.5);

    Robot t = facing(0, 0, -10, 0);
    t.heading = 0;
    t.lastTurnTick = 0xFFFFFFFAu;
    updateAt(t, 4); // 10 ms later
    EXPECT_EQ(t.heading, 0.0);
    updateAt(t, 5);
    EXPECT_GT(t.heading, 0.0);
}

TEST_F(RobotTest, StampsComeFromAFreshTickReading) {
    fakesdl::tickStep = 3; // every reading is 3 ms later than the one before
    Robot r = facing(0, 0, 10, 0);
    updateAt(r, 100); // due test reads 100, the stamp reads 103
    EXPECT_EQ(r.lastWalkTick, 103u);

    Robot t = facing(0, 0, -10, 0);
    t.heading = 0;
    updateAt(t, 200);
    EXPECT_EQ(t.lastTurnTick, 203u);
}

TEST_F(RobotTest, ATurningPassNeverWalks) {
    Robot r = facing(0, 0, -10, 0);
    r.heading = 0;
    r.lastTurnTick = 995; // turn not due, walk long overdue
    updateAt(r, 1000);
    EXPECT_EQ(r.x, 0.0);
    EXPECT_EQ(r.heading, 0.0);
    EXPECT_EQ(r.lastWalkTick, 0u);
}

TEST_F(RobotTest, ArrivalDistance) {
    // Exactly half a unit away: one more step, landing on the target.
    Robot r = facing(0, 0, 0.5, 0);
    updateAt(r, 100);
    EXPECT_EQ(r.x, 0.5);
    EXPECT_EQ(r.lastWalkTick, 100u);

    // Just under: arrived; with no tasks that starts the patrol.
    Robot s = facing(0, 0, 0.4999, 0);
    updateAt(s, 100);
    EXPECT_EQ(s.x, 0.0);
    EXPECT_EQ(s.targetX, -25.0);
    EXPECT_EQ(s.targetZ, 1.0);
    EXPECT_EQ(s.lastWalkTick, 0u) << "the patrol toggle leaves the walk timer alone";
}

TEST_F(RobotTest, StandingOnTheTargetAwayFromTheOriginCountsAsArrived) {
    Robot r = facing(3, 3, 3, 3);
    r.heading = 90;
    updateAt(r, 100);
    EXPECT_TRUE(std::isnan(r.desiredHeading));
    EXPECT_EQ(r.heading, 90.0);
    EXPECT_EQ(r.targetX, -25.0);
}

TEST_F(RobotTest, PatrolTogglesBetweenItsTwoPoints) {
    Robot r = facing(-25, 1, -25, 1);
    r.x = -25.2; // within reach of the point, not on it
    updateAt(r, 100);
    EXPECT_EQ(r.targetX, 15.0);
    EXPECT_EQ(r.targetZ, 10.0);
    r = facing(15, 10, 15, 10);
    r.x = 15.2;
    updateAt(r, 100);
    EXPECT_EQ(r.targetX, -25.0);
    EXPECT_EQ(r.targetZ, 1.0);
}

TEST_F(RobotTest, PicksUpABlockWithinReach) {
    struct Case {
        float blockX;
        bool pickedUp;
    } cases[] = {{2.5f, true}, {2.5001f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blockX);
        letterBlocks[4] = LetterBlock(c.blockX, 0, 0, 0, 6);
        Robot r(0.3, 0, 0);
        r.x = 0;
        r.tasks[0] = RobotTask{true, 4, -8, -5};
        updateAt(r, 100);
        EXPECT_EQ(r.lastWalkTick, 100u);
        if (c.pickedUp) {
            EXPECT_EQ(r.carriedBlock, 4);
            EXPECT_TRUE(letterBlocks[4].carried);
            EXPECT_EQ(r.targetX, -8.0);
            EXPECT_EQ(r.targetZ, -5.0);
        } else {
            EXPECT_EQ(r.carriedBlock, -1);
            EXPECT_FALSE(letterBlocks[4].carried);
            EXPECT_EQ(r.targetX, double(c.blockX));
            EXPECT_EQ(r.targetZ, 0.0);
        }
        EXPECT_EQ(letterBlocks[4].x, double(c.blockX)) << "the block waits for the first walk step";
    }
}

TEST_F(RobotTest, CarriedBlockJumpsAheadAtTheFirstWalkStep) {
    letterBlocks[4] = LetterBlock(2, 0, 0, 0, 6);
    Robot r(0.2, 0, 0);
    r.x = 0;
    r.tasks[0] = RobotTask{true, 4, -10, 0};
    uint32_t tick = 100;
    updateAt(r, tick);
    ASSERT_EQ(r.carriedBlock, 4);

    // The robot turns round first; the block stays where it was.
    int passes = 0;
    while (letterBlocks[4].x == 2.0 && passes++ < 1000)
        updateAt(r, tick += 1);
    ASSERT_LT(passes, 1000);
    EXPECT_GT(r.heading, 176.0);
    EXPECT_LT(r.heading, 184.0);
    EXPECT_EQ(r.x, -0.5);
    EXPECT_NEAR(letterBlocks[4].x, -1.5, 1e-6);
    EXPECT_NEAR(letterBlocks[4].z, 0.0, 1e-6);
    EXPECT_EQ(letterBlocks[4].angle, r.heading);
    EXPECT_EQ(letterBlocks[4].y, 0.0);
}

TEST_F(RobotTest, SetDownEndsTheTask) {
    letterBlocks[4].carried = true;
    Robot r = facing(-8.2, -5, -8, -5);
    r.carriedBlock = 4;
    r.tasks[0] = RobotTask{false, 7, -1, -1};
    r.tasks[1] = RobotTask{true, 4, -8, -5};
    r.tasks[2] = RobotTask{true, 5, -9, -5};
    updateAt(r, 100);
    EXPECT_EQ(r.carriedBlock, -1);
    EXPECT_FALSE(letterBlocks[4].carried);
    EXPECT_FALSE(r.tasks[1].active);
    EXPECT_TRUE(r.tasks[2].active);
    EXPECT_EQ(r.lastWalkTick, 100u);
}

TEST_F(RobotTest, ATaskNamingNoBlockIsDropped) {
    Robot r(0, 0, 0);
    r.tasks[0] = RobotTask{true, 11, 0, 0};
    r.tasks[1] = RobotTask{true, -1, 0, 0};
    updateAt(r, 100);
    updateAt(r, 200);
    EXPECT_FALSE(r.tasks[0].active);
    EXPECT_FALSE(r.tasks[1].active);
    EXPECT_EQ(r.carriedBlock, -1);
}

TEST_F(RobotTest, FirstPassesFromTheStartState) {
    Robot r(0, 0, 0);
    r.x = 7;
    startFetching(r);
    EXPECT_EQ(r.x, 0.0);
    EXPECT_EQ(r.z, 0.0);
    for (int i = 0; i < MAX_TASKS; ++i)
        EXPECT_EQ(r.tasks[i].active, i < 11) << "task " << i;

    EXPECT_EQ(updateAt(r, 1), "0.000000 0.000000\n");
    EXPECT_EQ(r.targetX, 0.0) << "the walk decision is not due before 31 ms";
    updateAt(r, 30);
    EXPECT_EQ(r.targetX, 0.0);
    updateAt(r, 31);
    EXPECT_EQ(r.targetX, 4.0); // block 4, about 4.47 away
    EXPECT_EQ(r.targetZ, 2.0);
    EXPECT_EQ(updateAt(r, 32), "0.000000 0.000000\n");
    EXPECT_EQ(updateAt(r, 33), "4.500000 26.578524\n");
}

TEST_F(RobotTest, DrawsTheModelAtPositionAndHeading) {
    Robot r(1.25, -0.5, 3);
    r.heading = 180;
    r.draw();
    Robot(1, 0, 1).draw();
    const char* order[] = {"glPushMatrix", "glTranslatef", "glRotatef", "glCallList",
                           "glPopMatrix"};
    ASSERT_EQ(fakegl::calls.size(), 10u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(fakegl::calls[i].name, order[i % 5]) << "call " << i;
    EXPECT_EQ(fakegl::calls[1].args, (std::vector<double>{1.25, -0.5, 3}));
    EXPECT_EQ(fakegl::calls[2].args, (std::vector<double>{90, 0, -1, 0}));
    EXPECT_EQ(fakegl::calls[3].args, (std::vector<double>{1}));
    EXPECT_EQ(fakegl::calls[7].args, (std::vector<double>{-90, 0, -1, 0}));
}
