// Scene assembly with the recording GL: which lists hold what, and what
// happens when the model files are missing.
#include "scene/scene.h"
#include "scene/city.h"
#include "scene/letter_block.h"

#include "assets/model.h"
#include "fake_gl.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

extern tModel robotModel;
extern tModel letterModels[LETTER_BLOCK_COUNT];

namespace {

// The calls recorded into each list, by list id.
std::map<int, std::vector<GlCall>> listContents() {
    std::map<int, std::vector<GlCall>> lists;
    int open = 0;
    for (const GlCall& call : fakegl::calls) {
        if (call.name == "glNewList") {
            EXPECT_EQ(open, 0) << "a list was opened inside another";
            EXPECT_EQ(call.args[1], GL_COMPILE);
            open = int(call.args[0]);
            EXPECT_EQ(lists.count(open), 0u) << "list " << open << " compiled twice";
            lists[open];
        } else if (call.name == "glEndList") {
            open = 0;
        } else if (open) {
            lists[open].push_back(call);
        } else {
            EXPECT_NE(call.name, "glBegin") << "geometry outside a list";
        }
    }
    EXPECT_EQ(open, 0);
    return lists;
}

// Runs the assembly in a fresh working directory holding the given data.
class SceneTest : public testing::Test {
  protected:
    void SetUp() override {
        robotModel = tModel();
        for (tModel& model : letterModels)
            model = tModel();
        cityRandom.state = 1;
        fakegl::reset();
    }
    void build(const std::string& prepareData) {
        ASSERT_EQ(std::system(("cd '" + scratch.path + "' && " + prepareData).c_str()), 0);
        ASSERT_TRUE(scratch.enter());
        buildScene();
    }

    ScratchDir scratch;
};

const std::string SOURCE_DATA = std::string(LETTERBOT_SOURCE_DIR) + "/data";

TEST_F(SceneTest, ListsHoldTheRobotTheLettersAndTheDistrict) {
    build("ln -s '" + SOURCE_DATA + "' data");
    const auto lists = listContents();
    ASSERT_EQ(lists.size(), 13u);
    for (int id = 1; id <= 13; ++id)
        EXPECT_EQ(lists.count(id), 1u) << "list " << id;

    // The robot material comes first, opaque, before any geometry.
    const std::vector<GlCall>& robotCalls = lists.at(robotList);
    ASSERT_GE(robotCalls.size(), 4u);
    const GLenum parameters[3] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR};
    const std::vector<double> colours[3] = {{0, 0, 1, 1}, {0.5, 0.5, 1, 1}, {0.5, 0.5, 0.5, 1}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(robotCalls[i].name, "glMaterialfv");
        EXPECT_EQ(robotCalls[i].args[0], GL_FRONT_AND_BACK);
        EXPECT_EQ(robotCalls[i].args[1], parameters[i]);
        EXPECT_EQ(std::vector<double>(robotCalls[i].args.begin() + 2, robotCalls[i].args.end()),
                  colours[i]);
    }
    size_t robotVertices = 0;
    for (const GlCall& call : robotCalls)
        robotVertices += call.name == "glVertex3f";
    EXPECT_GT(robotVertices, 100u);

    // The chest panel wears the robot's own picture (the first texture made),
    // and the list ends with texturing off for the letters that follow it.
    bool bindsPanel = false;
    std::string lastSwitch;
    for (const GlCall& call : robotCalls) {
        bindsPanel = bindsPanel || (call.name == "glBindTexture" && call.args[1] == 1);
        if ((call.name == "glEnable" || call.name == "glDisable") && call.args[0] == GL_TEXTURE_2D)
            lastSwitch = call.name;
    }
    EXPECT_TRUE(bindsPanel);
    EXPECT_EQ(lastSwitch, "glDisable");

    // Letters: no material of their own; U and S are read twice into equal lists.
    for (int id = 2; id <= 12; ++id) {
        SCOPED_TRACE(id);
        EXPECT_GT(lists.at(id).size(), 10u);
        for (const GlCall& call : lists.at(id))
            EXPECT_NE(call.name, "glMaterialfv");
    }
    auto same = [](const std::vector<GlCall>& a, const std::vector<GlCall>& b) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].name != b[i].name || a[i].args != b[i].args)
                return false;
        return true;
    };
    EXPECT_TRUE(same(lists.at(5), lists.at(8))) << "the two U blocks";
    EXPECT_TRUE(same(lists.at(6), lists.at(12))) << "the two S blocks";
    EXPECT_FALSE(same(lists.at(5), lists.at(6)));

    // The panel's texture is made while the robot loads; both district textures
    // exist before the district's list records their names.
    size_t city = 0;
    while (city < fakegl::calls.size() &&
           !(fakegl::calls[city].name == "glNewList" && fakegl::calls[city].args[0] == cityList))
        ++city;
    ASSERT_LT(city, fakegl::calls.size());
    size_t textures = 0;
    for (size_t i = 0; i < city; ++i)
        textures += fakegl::calls[i].name == "glGenTextures";
    EXPECT_EQ(textures, 3u);
    EXPECT_EQ(windowTexture, 2u);
    EXPECT_EQ(roofTexture, 3u);
    EXPECT_EQ(fakegl::count("glPushMatrix"), 60u);
}

TEST_F(SceneTest, MissingModelsLeaveEmptyListsAndTheBlocksStillStart) {
    testing::internal::CaptureStderr();
    build("mkdir data && cp '" + SOURCE_DATA + "'/*.bmp data/");
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("robot.ase"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("Y.ase"), std::string::npos) << warnings;

    const auto lists = listContents();
    ASSERT_EQ(lists.size(), 13u);
    ASSERT_EQ(lists.at(robotList).size(), 3u) << "only the material";
    for (int id = 2; id <= 12; ++id)
        EXPECT_TRUE(lists.at(id).empty()) << "list " << id;
    EXPECT_FALSE(lists.at(cityList).empty());

    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k) {
        SCOPED_TRACE(k);
        const LetterBlock& block = letterBlocks[k];
        EXPECT_EQ(block.listId, k + 2);
        EXPECT_EQ(block.x, k);
        EXPECT_EQ(block.y, 0.0);
        EXPECT_EQ(block.z, 0.5 * k);
        EXPECT_EQ(block.angle, 0.0);
        EXPECT_FALSE(block.carried);
    }
}

TEST_F(SceneTest, MissingTextureEndsWithStatusThree) {
    EXPECT_EXIT(build("mkdir data"), testing::ExitedWithCode(3), "Couldn't find a texture!");
}

} // namespace
