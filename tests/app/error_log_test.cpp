// The fatal-error path: exact bytes on the console and in "error.txt", exit
// statuses, and messages longer than the buffer.
#include "app/application.h"
#include "app/error_log.h"

#include "fake_gl.h"
#include "fake_sdl.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Each test runs the program's start-up steps in a death-test child whose
// working directory is a fresh folder; the console goes to console.txt there.
class FatalErrorTest : public testing::Test {
  protected:
    void SetUp() override {
        fakesdl::reset();
        fakegl::reset();
    }

    void enterDir() const {
        if (!scratch.enter() || !std::freopen("console.txt", "w", stdout))
            std::_Exit(99);
    }
    std::string log() const { return scratch.read("error.txt"); }
    std::string console() const { return scratch.read("console.txt"); }

    ScratchDir scratch;
};

TEST_F(FatalErrorTest, ErrorWritesConsoleLineAndLogWithoutLineEnd) {
    EXPECT_EXIT(
        {
            enterDir();
            openErrorLog();
            application.error("SDL_SetVideoMode == NULL");
        },
        testing::ExitedWithCode(2), "");
    EXPECT_EQ(log(), "SDL_SetVideoMode == NULL");
    EXPECT_EQ(console(), "SDL_SetVideoMode == NULL\n");
}

TEST_F(FatalErrorTest, LongMessageIsCutToTheBuffer) {
    const std::string longText(400, 'x');
    EXPECT_EXIT(
        {
            enterDir();
            openErrorLog();
            application.error("%s|%d", longText.c_str(), 42);
        },
        testing::ExitedWithCode(2), "");
    EXPECT_EQ(log(), std::string(149, 'x'));
    EXPECT_EQ(console(), std::string(149, 'x') + "\n");
}

TEST_F(FatalErrorTest, StartTruncatesAnEarlierLog) {
    {
        std::ofstream old(scratch.path + "/error.txt");
        old << "an earlier run's message";
    }
    EXPECT_EXIT(
        {
            enterDir();
            openErrorLog();
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(log(), "");
}

TEST_F(FatalErrorTest, UnwritableLogEndsSilentlyWithStatusOne) {
    ASSERT_EQ(mkdir((scratch.path + "/error.txt").c_str(), 0755), 0);
    EXPECT_EXIT(
        {
            enterDir();
            application.init();
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(console(), "");
}

TEST_F(FatalErrorTest, VideoFailuresEndWithStatusTwoAndTheirMessages) {
    struct Case {
        const char* name;
        int initResult;
        const char* driver;
        bool modeFails;
        const char* message;
    };
    const Case cases[] = {
        {"SDL_Init fails", -1, "x11", false, "SDL_Init(SDL_INIT_VIDEO) == -1"},
        {"no display: invisible fallback", 0, "offscreen", false, "SDL_Init(SDL_INIT_VIDEO) == -1"},
        {"no OpenGL mode", 0, "dummy", true, "SDL_SetVideoMode == NULL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakesdl::initResult = c.initResult;
        fakesdl::driverName = c.driver;
        fakesdl::videoModeFails = c.modeFails;
        unsetenv("SDL_VIDEODRIVER");
        EXPECT_EXIT(
            {
                enterDir();
                application.init();
                application.setVideo(1024, 768);
                std::exit(0);
            },
            testing::ExitedWithCode(2), "");
        EXPECT_EQ(log(), c.message);
        EXPECT_EQ(console(), std::string(c.message) + "\n");
    }
}

TEST_F(FatalErrorTest, OffscreenDriverChosenByTheUserIsAccepted) {
    fakesdl::driverName = "offscreen";
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    EXPECT_EXIT(
        {
            enterDir();
            application.init();
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(log(), "");
}

} // namespace
