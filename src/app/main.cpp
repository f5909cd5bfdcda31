// letterbot: a robot arranges letter blocks in front of a generated district.
#include "app/application.h"
#include "platform/platform.h"
#include "scene/camera.h"
#include "scene/robot.h"
#include "scene/scene.h"

#include <cstdlib>

// One pass of the main loop: the input snapshot, the controls, the robot's
// step, the frame, and its presentation. The platform decides how passes
// follow one another.
static void runPass() {
    application.updateInput();
    handleControls(application);
    robot.update();
    drawFrame();
    application.swapBuffers();
}

int main(int, char**) {
    endOnStopRequests();
    // Without SDL's start-up library (on Linux there is none) SDL does not
    // initialise itself before main.
    preferDirectGLPath();
    SDL_Init(0);
    std::atexit(SDL_Quit);

    application.init();
    application.setVideo(1024, 768);
    application.initGL(APP_LIGHTING);

    // A directional light from +y, fixed in eye coordinates: the modelview
    // matrix is still the identity here.
    const float ambient[4] = {0.7f, 0.8f, 0.5f, 0.0f};
    const float diffuse[4] = {0.7f, 0.7f, 0.5f, 0.0f};
    const float specular[4] = {0.1f, 0.1f, 0.1f, 0.0f};
    const float position[4] = {0.0f, 5.0f, 0.0f, 0.0f};
    application.addLight(ambient, diffuse, specular, position);

    buildScene();
    startFetching(robot);
    runMainLoop(runPass);
}
