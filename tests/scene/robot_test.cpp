// The fetching robot on a fake clock: its geometry, turning, walking, pacing
// and decisions at the boundaries, and the whole demonstration, whose path
// must not depend on the frame rate. With LETTERBOT_SIMULATED_TRACE_OUT set,
// the folded trace of a 1 ms-per-pass run up to the start of the patrol is
// written to that file, for comparison with the real program.
#include "fake_gl.h"
#include "fake_sdl.h"
#include "stdout_capture.h"

#include "scene/letter_block.h"
#include "scene/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

namespace {

const char LETTERS[] = "DOMUSKUNTYS";
const uint32_t MAX_PASSES = 400000;

struct Point {
    double x, z;
};

struct Simulation {
    std::vector<std::string> folded; // trace lines, consecutive repeats folded
    int carries[LETTER_BLOCK_COUNT] = {};
    Point setDownFrom[LETTER_BLOCK_COUNT] = {}; // robot position at each set-down
    Point blocks[LETTER_BLOCK_COUNT] = {};      // where the blocks were when the patrol began
    std::vector<Point> patrolTargets;           // every target once the tasks are done
    uint32_t passes = 0;
};

bool tasksDone(const Robot& r) {
    for (const RobotTask& task : r.tasks)
        if (task.active)
            return false;
    return true;
}

std::vector<std::string> foldLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (lines.empty() || lines.back() != line)
            lines.push_back(line);
    return lines;
}

// Runs the program's loop order (robot, then the blocks' frame) from the start
// state, one pass every `msPerPass`, until the patrol has set `patrolLegs` targets.
Simulation simulate(uint32_t msPerPass, size_t patrolLegs) {
    fakesdl::reset();
    fakegl::reset();
    placeBlocksOnDiagonal();
    robot = Robot(0, 0, 0);
    startFetching(robot);

    Simulation sim;
    bool wasCarried[LETTER_BLOCK_COUNT] = {};
    StdoutCapture capture;
    beginCapture(capture);
    while (sim.passes < MAX_PASSES && sim.patrolTargets.size() < patrolLegs) {
        ++sim.passes;
        fakesdl::ticks = sim.passes * msPerPass;
        const Point target{robot.targetX, robot.targetZ};
        robot.update();
        for (LetterBlock& block : letterBlocks)
            block.updateAndDraw();
        fakegl::reset();

        for (int k = 0; k < LETTER_BLOCK_COUNT; ++k) {
            const bool carried = letterBlocks[k].carried;
            if (carried && !wasCarried[k])
                ++sim.carries[k];
            if (!carried && wasCarried[k])
                sim.setDownFrom[k] = Point{robot.x, robot.z};
            wasCarried[k] = carried;
        }
        if (tasksDone(robot) && (target.x != robot.targetX || target.z != robot.targetZ)) {
            if (sim.patrolTargets.empty())
                for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
                    sim.blocks[k] = Point{letterBlocks[k].x, letterBlocks[k].z};
            sim.patrolTargets.push_back(Point{robot.targetX, robot.targetZ});
        }
    }
    sim.folded = foldLines(endCapture(capture));
    return sim;
}

} // namespace

TEST(WholeDemonstration, ArrangesTheRowThenPatrols) {
    const Simulation sim = simulate(1, 4);
    ASSERT_EQ(sim.patrolTargets.size(), 4u) << "no patrol after " << sim.passes << " passes";
    ASSERT_FALSE(sim.folded.empty());
    EXPECT_EQ(sim.folded.front(), "0.000000 0.000000");

    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        EXPECT_EQ(sim.carries[k], 1) << "block " << k;

    // Each block lies between half a unit and a unit beyond its destination,
    // in the direction the robot came from.
    const Robot fresh = [] {
        Robot r(0, 0, 0);
        startFetching(r);
        return r;
    }();
    for (int t = 0; t < 11; ++t) {
        const RobotTask& task = fresh.tasks[t];
        SCOPED_TRACE(testing::Message() << "task " << t << ", block " << task.block);
        const Point block = sim.blocks[task.block];
        const Point from = sim.setDownFrom[task.block];
        const float d = planarDistance(float(block.x), float(block.z), task.destX, task.destZ);
        EXPECT_GE(d, 0.5f);
        EXPECT_LE(d, 1.0f);
        const double ahead = (block.x - task.destX) * (task.destX - from.x) +
                             (block.z - task.destZ) * (task.destZ - from.z);
        EXPECT_GT(ahead, 0.0);
        EXPECT_NEAR(block.z, -5.0, 1.0);
    }

    // Read by increasing x: MUKNS, a gap at x = -7, TYSODU.
    std::vector<int> order;
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        order.push_back(k);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return sim.blocks[a].x < sim.blocks[b].x; });
    EXPECT_EQ(order, (std::vector<int>{2, 3, 5, 7, 4, 8, 9, 10, 1, 0, 6}));
    std::string row;
    for (int k : order)
        row += LETTERS[k];
    EXPECT_EQ(row, "MUKNSTYSODU");
    EXPECT_LT(sim.blocks[4].x, -7.0);
    EXPECT_GT(sim.blocks[8].x, -7.0);
    EXPECT_GT(sim.blocks[8].x - sim.blocks[4].x, 1.5) << "the gap at x = -7";

    const Point patrol[] = {{-25, 1}, {15, 10}, {-25, 1}, {15, 10}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(sim.patrolTargets[i].x, patrol[i].x) << "leg " << i;
        EXPECT_EQ(sim.patrolTargets[i].z, patrol[i].z) << "leg " << i;
    }
}

TEST(WholeDemonstration, PathDoesNotDependOnTheFrameRate) {
    const Simulation fast = simulate(1, 1);
    const Simulation slow = simulate(7, 1);
    ASSERT_EQ(fast.patrolTargets.size(), 1u);
    ASSERT_EQ(slow.patrolTargets.size(), 1u);
    EXPECT_LT(slow.passes, fast.passes);
    RecordProperty("ms_to_patrol_at_1ms", int(fast.passes));
    RecordProperty("ms_to_patrol_at_7ms", int(slow.passes * 7));

    const size_t common = std::min(fast.folded.size(), slow.folded.size());
    EXPECT_GT(common, 500u);
    for (size_t i = 0; i < common; ++i)
        ASSERT_EQ(fast.folded[i], slow.folded[i]) << "folded line " << i;
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k) {
        EXPECT_EQ(fast.blocks[k].x, slow.blocks[k].x) << "block " << k;
        EXPECT_EQ(fast.blocks[k].z, slow.blocks[k].z) << "block " << k;
    }

    if (const char* out = std::getenv("LETTERBOT_SIMULATED_TRACE_OUT")) {
        std::ofstream file(out);
        for (const std::string& line : fast.folded)
            file << line << '\n';
        EXPECT_TRUE(file.good()) << out;
    }
}
