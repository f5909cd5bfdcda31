// The eleven letter blocks the robot fetches; each draws its letter's display
// list at its position and angle, twice the model's size.
#pragma once

#include <cstdint>

const int LETTER_BLOCK_COUNT = 11;

class LetterBlock {
  public:
    int32_t listId; // display list of the block's letter model (2 to 12)
    double x, y, z;
    double angle; // degrees about (0, -1, 0); kept in [0, 360)
    bool carried;

    // Does nothing: the table lives in zeroed static storage until the scene
    // gives every block its start values.
    LetterBlock() {}
    LetterBlock(float x, float y, float z, float angle, int32_t listId);

    // Once per frame: wraps the angle, lets a set-down block settle back towards
    // its start orientation by 0.4 degrees, and draws it.
    void updateAndDraw();
};

extern LetterBlock letterBlocks[LETTER_BLOCK_COUNT];
