// One frame of the scene.
#include "scene/scene.h"

#include "app/platform_api.h"
#include "scene/camera.h"
#include "scene/letter_block.h"
#include "scene/robot.h"

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    placeCamera();
    robot.draw();
    cameraTarget.draw();
    for (LetterBlock& block : letterBlocks)
        block.updateAndDraw();
}
