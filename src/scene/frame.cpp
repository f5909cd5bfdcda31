// One frame: the ground, both robots, the letter blocks and the district.
#include "scene/scene.h"

#include "platform/platform_api.h"
#include "scene/camera.h"
#include "scene/letter_block.h"
#include "scene/robot.h"

namespace {

// The ground is a plain green square one unit below the robots' origin, drawn
// unlit. It sets no texture state: from the second frame on it is drawn with
// the district's window image still bound at (0, 0), which tints it.
void drawGround() {
    const float size = 100.0f;
    const float level = -1.0f;
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(size, level, -size);
    glVertex3f(size, level, size);
    glVertex3f(-size, level, size);
    glVertex3f(-size, level, -size);
    glEnd();
    glEnable(GL_LIGHTING);
}

} // namespace

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    placeCamera();
    drawGround();
    robot.draw();
    cameraTarget.draw();
    // The robots' list leaves the robot material current for the letters.
    for (LetterBlock& block : letterBlocks)
        block.updateAndDraw();
    glCallList(cityList);
}
