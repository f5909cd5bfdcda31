// Pacing on SDL's millisecond tick counter, shared by the controls and the robot.
#pragma once

#include <cstdint>

// An action is due when more than `interval` milliseconds have passed since its
// last tick. The difference is taken modulo 2^32, so the counter's wrap-around
// after 49.7 days does not stall anything.
inline bool isDue(uint32_t now, uint32_t lastTick, uint32_t interval) {
    return static_cast<uint32_t>(now - lastTick) > interval;
}
