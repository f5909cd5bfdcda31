// The table of letter blocks and their per-frame settling spin and drawing.
#include "scene/letter_block.h"

#include "platform/platform_api.h"

LetterBlock letterBlocks[LETTER_BLOCK_COUNT];

namespace {

const double SETTLE_STEP = 0.4; // degrees per frame; tied to the frame rate on purpose
const double SETTLE_LOW = 1.0;  // a block turned no further than this is at rest
const double SETTLE_HIGH = 359.0;

} // namespace

LetterBlock::LetterBlock(float startX, float startY, float startZ, float startAngle, int32_t list)
    : listId(list), x(startX), y(startY), z(startZ), angle(startAngle), carried(false) {}

void LetterBlock::updateAndDraw() {
    // Only angles written from outside can leave [0, 360); the spin never does.
    if (angle >= 360.0)
        angle -= 360.0;
    if (angle < 0.0)
        angle += 360.0;

    // A block set down turned away creeps on, by growing angle, until it is
    // almost back at its start orientation.
    if (!carried && angle > SETTLE_LOW && angle < SETTLE_HIGH)
        angle += SETTLE_STEP;

    glPushMatrix();
    glColor3f(1.0f, 0.0f, 0.0f);
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    glRotatef(static_cast<float>(angle), 0.0f, -1.0f, 0.0f);
    glScalef(2.0f, 2.0f, 2.0f);
    glCallList(static_cast<GLuint>(listId));
    glPopMatrix();
}
