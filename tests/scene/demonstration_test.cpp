// The whole demonstration on a simulated clock: the robot rearranges the letter
// blocks into their row, then patrols, along a path that does not depend on
// the frame rate. With LETTERBOT_SIMULATED_TRACE_OUT set, the folded trace of
// the 1 ms run is written to that file, for comparison with the real program.
#include "fake_gl.h"
#include "fake_sdl.h"
#include "stdout_capture.h"

#include "scene/letter_block.h"
#include "scene/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        letterBlocks[k] = LetterBlock(float(k), 0.0f, float(0.5 * k), 0.0f, k + 2);
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

TEST(DemonstrationTest, RobotArrangesTheRowThenPatrols) {
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

    if (const char* out = std::getenv("LETTERBOT_SIMULATED_TRACE_OUT")) {
        std::ofstream file(out);
        for (const std::string& line : sim.folded)
            file << line << '\n';
        EXPECT_TRUE(file.good()) << out;
    }
}

TEST(DemonstrationTest, PathDoesNotDependOnTheFrameRate) {
    const Simulation fast = simulate(1, 1);
    const Simulation slow = simulate(7, 1);
    ASSERT_EQ(fast.patrolTargets.size(), 1u);
    ASSERT_EQ(slow.patrolTargets.size(), 1u);
    EXPECT_LT(slow.passes, fast.passes);

    const size_t common = std::min(fast.folded.size(), slow.folded.size());
    EXPECT_GT(common, 500u);
    for (size_t i = 0; i < common; ++i)
        ASSERT_EQ(fast.folded[i], slow.folded[i]) << "folded line " << i;
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k) {
        EXPECT_EQ(fast.blocks[k].x, slow.blocks[k].x) << "block " << k;
        EXPECT_EQ(fast.blocks[k].z, slow.blocks[k].z) << "block " << k;
    }
}
