// The camera's placement and the keyboard and mouse controls, on a fake clock.
#include "fake_gl.h"
#include "fake_sdl.h"

#include "app/application.h"
#include "platform/exit_status.h"
#include "scene/camera.h"
#include "scene/robot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

class CameraTest : public ::testing::Test {
  protected:
    Application app{};

    void SetUp() override {
        fakesdl::reset();
        fakegl::reset();
        camera = Camera{tVector3(0, 0, 0), 0.0f, 0.0f, 5.0f, 0, 0};
        cameraTarget = Robot(1, 0, 1);
        app.keys = fakesdl::keys;
        app.mouseButtons = 0;
    }

    void passAt(uint32_t tick) {
        fakesdl::ticks = tick;
        handleControls(app);
    }
};

const double STEP = 0.04f;

void reportTarget() {
    std::fprintf(stderr, "target x=%.6f\n", cameraTarget.x);
}

} // namespace

TEST_F(CameraTest, StartViewLooksFromPlusXAtTheTarget) {
    placeCamera();
    ASSERT_EQ(fakegl::count("gluLookAt"), 1u);
    EXPECT_EQ(fakegl::named("gluLookAt")[0].args, (std::vector<double>{6, 0, 1, 1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(cameraTarget.heading, 0.0);
}

TEST_F(CameraTest, OrbitEyeMovesFromPlusXTowardsPlusZ) {
    const tVector3 eye = orbitEye(1.5707964f, 2.0f, 0.5f, 0, 1, 0);
    EXPECT_NEAR(eye.x, 0.0f, 1e-6);
    EXPECT_NEAR(eye.z, 2.0f, 1e-6);
    EXPECT_EQ(eye.y, 1.5f);
}

TEST_F(CameraTest, EscapeEndsOnADueKeyStepBeforeAnyMovement) {
    fakesdl::keys[SDLK_ESCAPE] = 1;
    fakesdl::keys[SDLK_RIGHT] = 1;
    camera.lastKeyTick = 100;
    passAt(110); // not due: Escape is not even looked at
    EXPECT_EQ(cameraTarget.x, 1.0);
    EXPECT_EXIT(
        {
            std::atexit(reportTarget);
            passAt(111);
        },
        testing::ExitedWithCode(EXIT_ESCAPE), "target x=1.000000");
    EXPECT_EQ(EXIT_ESCAPE, 200);
}

TEST_F(CameraTest, KeysMoveTheTarget) {
    struct Case {
        SDLKey key;
        double dx, dy, dz;
    } cases[] = {{SDLK_LEFT, -STEP, 0, 0}, {SDLK_RIGHT, STEP, 0, 0},   {SDLK_UP, 0, 0, STEP},
                 {SDLK_DOWN, 0, 0, -STEP}, {SDLK_PAGEUP, 0, -STEP, 0}, {SDLK_PAGEDOWN, 0, STEP, 0}};
    uint32_t tick = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        cameraTarget = Robot(1, 0, 1);
        fakesdl::keys[c.key] = 1;
        passAt(tick += 11);
        fakesdl::keys[c.key] = 0;
        EXPECT_EQ(cameraTarget.x, 1 + c.dx);
        EXPECT_EQ(cameraTarget.y, 0 + c.dy);
        EXPECT_EQ(cameraTarget.z, 1 + c.dz);
    }
    EXPECT_EQ(cameraTarget.heading, 0.0);
}

TEST_F(CameraTest, OpposingKeysCancel) {
    fakesdl::keys[SDLK_LEFT] = fakesdl::keys[SDLK_RIGHT] = 1;
    fakesdl::keys[SDLK_UP] = fakesdl::keys[SDLK_DOWN] = 1;
    fakesdl::keys[SDLK_PAGEUP] = fakesdl::keys[SDLK_PAGEDOWN] = 1;
    for (uint32_t tick = 11; tick < 1000; tick += 11)
        passAt(tick);
    EXPECT_NEAR(cameraTarget.x, 1.0, 1e-12);
    EXPECT_NEAR(cameraTarget.y, 0.0, 1e-12);
    EXPECT_NEAR(cameraTarget.z, 1.0, 1e-12);
}

TEST_F(CameraTest, KeyStepsArePacedAcrossTheWrap) {
    fakesdl::keys[SDLK_RIGHT] = 1;
    camera.lastKeyTick = 0xFFFFFFFCu;
    passAt(6); // 10 ms later
    EXPECT_EQ(cameraTarget.x, 1.0);
    passAt(7);
    EXPECT_EQ(cameraTarget.x, 1 + STEP);
    EXPECT_EQ(camera.lastKeyTick, 7u);
    passAt(17);
    EXPECT_EQ(cameraTarget.x, 1 + STEP);
}

TEST_F(CameraTest, MouseStepOnlyOnAPassWhoseKeyStepHappened) {
    app.mouseButtons = SDL_BUTTON_LMASK;
    camera.lastKeyTick = 95;
    passAt(100); // key step not due, mouse step overdue
    EXPECT_EQ(camera.orbitAngle, 0.0f);
    passAt(106);
    EXPECT_EQ(camera.orbitAngle, -0.1f);
    EXPECT_EQ(camera.lastMouseTick, 106u);
    passAt(146); // key step due, mouse step 40 ms later: not due
    EXPECT_EQ(camera.orbitAngle, -0.1f);
    passAt(147); // mouse step due, key step not: nothing
    EXPECT_EQ(camera.orbitAngle, -0.1f);
    passAt(157);
    EXPECT_EQ(camera.orbitAngle, float(-0.1f - 0.1));
}

TEST_F(CameraTest, LeftShiftReversesTurnAndZoom) {
    struct Case {
        SDLKey shift;
        float angle, distance;
    } cases[] = {
        {SDLK_UNKNOWN, -0.1f, 4.9f}, {SDLK_LSHIFT, 0.1f, 5.1f}, {SDLK_RSHIFT, -0.1f, 4.9f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shift);
        SetUp();
        app.mouseButtons = SDL_BUTTON_LMASK | SDL_BUTTON_MMASK;
        fakesdl::keys[c.shift] = 1;
        passAt(41);
        EXPECT_EQ(camera.orbitAngle, c.angle);
        EXPECT_EQ(camera.orbitDistance, c.distance);
    }
}

TEST_F(CameraTest, StampsComeFromFreshReadings) {
    fakesdl::tickStep = 2;
    app.mouseButtons = SDL_BUTTON_MMASK;
    passAt(100); // readings 100, 102, 104, 106
    EXPECT_EQ(camera.lastKeyTick, 102u);
    EXPECT_EQ(camera.lastMouseTick, 106u);
}
