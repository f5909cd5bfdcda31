// The robot that fetches the letter blocks, and the second figure that marks
// the point the camera orbits.
#pragma once

#include <cstdint>

const int MAX_TASKS = 15;

struct RobotTask {
    bool active;
    int32_t block; // index into letterBlocks
    float destX;   // where the block is set down
    float destZ;
};

class Robot {
  public:
    double x, y, z;
    double targetX, targetZ;
    double desiredHeading; // degrees, from the position to the target; not wrapped
    double heading;        // degrees in [0, 360); 0 is +x, 90 is +z
    uint32_t lastWalkTick; // SDL ticks, milliseconds
    uint32_t lastTurnTick;
    int32_t carriedBlock; // index into letterBlocks, -1 when the hands are empty
    RobotTask tasks[MAX_TASKS];

    Robot(double x, double y, double z);

    // One pass: prints the trace line, then turns, walks or decides what next.
    void update();
    void draw();
    void turnStep();
    bool walkStep();
};

// Heading in degrees from (x, z) to (tx, tz), as the robot has always measured it.
double headingTo(double x, double z, double tx, double tz);
// Distance in the x-z plane, in single precision.
float planarDistance(float ax, float az, float bx, float bz);
// One 4.5-degree turn step from `heading` towards `desiredHeading` along the
// shorter arc; the result is in [0, 360).
double turnedHeading(double heading, double desiredHeading);
// Whether the gap between the headings calls for turning before walking.
bool needsTurn(double heading, double desiredHeading);

// Puts the robot at the origin with the eleven fetching tasks.
void startFetching(Robot& robot);

extern Robot robot;
extern Robot cameraTarget;
