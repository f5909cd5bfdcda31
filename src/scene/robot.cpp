// The fetching robot: turning, walking, the task table and the patrol, paced
// on SDL's millisecond ticks, and the drawing of a robot figure.
#include "scene/robot.h"

#include "platform/pacing.h"
#include "platform/platform_api.h"
#include "scene/letter_block.h"
#include "scene/scene.h"

#include <cmath>
#include <cstdio>

Robot robot(0.0, 0.0, 0.0);
Robot cameraTarget(1.0, 0.0, 1.0);

namespace {

const uint32_t TURN_INTERVAL = 10; // ms between turn steps
const uint32_t WALK_INTERVAL = 30; // ms between walk decisions
const double TURN_STEP = 4.5;      // degrees per turn step
const double WALK_STEP = 0.5;      // world units per walk step
const float ARRIVED = 0.5f;        // nearer than this to the target counts as there
const float REACH = 2.5f;          // a block this near is picked up without walking
const float ALIGNED_GAP = 4.0f;    // degrees: a smaller gap is walked, not turned
const float ALIGNED_GAP_ACROSS_ZERO = 356.0f;
const double CARRY_AHEAD = 1.0; // the carried block rides this far ahead

// The robot has always measured angles against 3.14 as a float, not pi; the
// trace and the paths depend on it, so it stays.
const double ROUGH_PI = static_cast<double>(3.14f);

// The two ends of the patrol that follows the last task.
const double PATROL_A_X = -25.0, PATROL_A_Z = 1.0;
const double PATROL_B_X = 15.0, PATROL_B_Z = 10.0;

struct TaskStart {
    int32_t block;
    float destX, destZ;
};

// The row MUKNS TYSODU at z = -5, filled in this order.
const TaskStart FETCH_TASKS[] = {
    {4, -8.0f, -5.0f},  {7, -9.0f, -5.0f}, {5, -10.0f, -5.0f}, {3, -11.0f, -5.0f},
    {2, -12.0f, -5.0f}, {8, -6.0f, -5.0f}, {1, -3.0f, -5.0f},  {0, -2.0f, -5.0f},
    {6, -1.0f, -5.0f},  {9, -5.0f, -5.0f}, {10, -4.0f, -5.0f},
};

bool isBlockIndex(int32_t block) {
    return block >= 0 && block < LETTER_BLOCK_COUNT;
}

int firstActiveTask(const Robot& r) {
    for (int i = 0; i < MAX_TASKS; ++i)
        if (r.tasks[i].active)
            return i;
    return -1;
}

} // namespace

double headingTo(double x, double z, double tx, double tz) {
    if (x == 0.0 && z == 0.0 && tx == 0.0 && tz == 0.0)
        return 0.0;
    const double dx = tx - x;
    const double dz = tz - z;
    const double len = std::sqrt(dx * dx + dz * dz);
    // Standing on a target away from the origin gives no number; the turn test
    // is then false and the walk step reports arrival.
    const double a = dz >= 0.0 ? std::acos(dx / len) : std::acos(-dx / len) + ROUGH_PI;
    return a / ROUGH_PI * 180.0;
}

float planarDistance(float ax, float az, float bx, float bz) {
    const float dx = ax - bx;
    const float dz = az - bz;
    const float sum = dx * dx + dz * dz;
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

double turnedHeading(double heading, double desiredHeading) {
    // Along the shorter arc; exactly 180 apart goes the way that does not cross 0.
    if (desiredHeading < heading)
        heading += heading - desiredHeading > 180.0 ? TURN_STEP : -TURN_STEP;
    else
        heading += desiredHeading - heading > 180.0 ? -TURN_STEP : TURN_STEP;
    if (heading >= 360.0)
        heading -= 360.0;
    if (heading < 0.0)
        heading += 360.0;
    return heading;
}

bool needsTurn(double heading, double desiredHeading) {
    // A gap above 356 means the headings are close across 0/360.
    const float gap = static_cast<float>(std::fabs(heading - desiredHeading));
    return gap >= ALIGNED_GAP && gap <= ALIGNED_GAP_ACROSS_ZERO;
}

Robot::Robot(double startX, double startY, double startZ)
    : x(startX), y(startY), z(startZ), targetX(startX), targetZ(startZ), desiredHeading(0.0),
      heading(0.0), lastWalkTick(0), lastTurnTick(0), carriedBlock(-1), tasks() {}

void Robot::turnStep() {
    heading = turnedHeading(heading, desiredHeading);
}

bool Robot::walkStep() {
    const float d = planarDistance(static_cast<float>(x), static_cast<float>(z),
                                   static_cast<float>(targetX), static_cast<float>(targetZ));
    if (d < ARRIVED)
        return false;

    // Never passes the target: a step is only taken when it is at least a step away.
    const float dx = static_cast<float>(targetX - x);
    const float dz = static_cast<float>(targetZ - z);
    const float len = std::sqrt(dx * dx + dz * dz);
    x += dx / len * WALK_STEP;
    z += dz / len * WALK_STEP;

    if (isBlockIndex(carriedBlock)) {
        LetterBlock& block = letterBlocks[carriedBlock];
        block.angle = heading;
        block.x = x + dx / len * CARRY_AHEAD;
        block.z = z + dz / len * CARRY_AHEAD;
    }
    return true;
}

void Robot::update() {
    // The trace shows the desired heading of the previous pass.
    std::printf("%f %f\n", heading, desiredHeading);
    desiredHeading = headingTo(x, z, targetX, targetZ);

    if (needsTurn(heading, desiredHeading)) {
        // No walking while turning; the walk timer keeps its old value.
        if (isDue(SDL_GetTicks(), lastTurnTick, TURN_INTERVAL)) {
            turnStep();
            lastTurnTick = SDL_GetTicks();
        }
        return;
    }

    if (!isDue(SDL_GetTicks(), lastWalkTick, WALK_INTERVAL))
        return;
    if (walkStep()) {
        lastWalkTick = SDL_GetTicks();
        return;
    }

    // Arrived.
    const int task = firstActiveTask(*this);
    if (carriedBlock == -1) {
        if (task < 0) {
            // Patrol; the walk timer is left alone, so the next aligned pass may walk at once.
            if (targetX == PATROL_A_X && targetZ == PATROL_A_Z) {
                targetX = PATROL_B_X;
                targetZ = PATROL_B_Z;
            } else {
                targetX = PATROL_A_X;
                targetZ = PATROL_A_Z;
            }
            return;
        }
        const int32_t b = tasks[task].block;
        if (!isBlockIndex(b)) {
            // A task naming no block cannot be served; drop it.
            tasks[task].active = false;
        } else {
            LetterBlock& block = letterBlocks[b];
            if (planarDistance(static_cast<float>(x), static_cast<float>(z),
                               static_cast<float>(block.x), static_cast<float>(block.z)) > REACH) {
                targetX = block.x;
                targetZ = block.z;
            } else {
                // The block stays put until the next walk step.
                carriedBlock = b;
                block.carried = true;
                targetX = tasks[task].destX;
                targetZ = tasks[task].destZ;
            }
        }
        lastWalkTick = SDL_GetTicks();
        return;
    }

    // Set down where the last walk step left the block.
    if (task >= 0)
        tasks[task].active = false;
    if (isBlockIndex(carriedBlock))
        letterBlocks[carriedBlock].carried = false;
    carriedBlock = -1;
    lastWalkTick = SDL_GetTicks();
}

void Robot::draw() {
    // Turns the model's +z axis to the heading.
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    glRotatef(static_cast<float>(heading - 90.0), 0.0f, -1.0f, 0.0f);
    glCallList(static_cast<GLuint>(robotList));
    glPopMatrix();
}

void startFetching(Robot& r) {
    r.x = 0.0;
    r.y = 0.0;
    r.z = 0.0;
    int i = 0;
    for (const TaskStart& start : FETCH_TASKS) {
        RobotTask& task = r.tasks[i++];
        task.active = true;
        task.block = start.block;
        task.destX = start.destX;
        task.destZ = start.destZ;
    }
}
