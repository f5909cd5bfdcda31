// Start-up assembly of the scene: the robot and letter models and the district
// are compiled into fixed display lists, so a frame only calls lists.
#include "scene/scene.h"

#include "platform/platform_api.h"
#include "assets/ase_loader.h"
#include "assets/model_drawing.h"
#include "assets/texture.h"
#include "scene/city.h"
#include "scene/letter_block.h"

const int robotList = 1;
const int cityList = 13;
uint32_t windowTexture;
uint32_t roofTexture;

tModel robotModel;
tModel letterModels[LETTER_BLOCK_COUNT];

namespace {

// The blocks read DOMUSKUNTYS; U and S serve twice and are read twice.
const char* const LETTER_FILES[LETTER_BLOCK_COUNT] = {
    "data\\D.ase", "data\\O.ase", "data\\M.ase", "data\\U.ase", "data\\S.ase", "data\\K.ase",
    "data\\U.ase", "data\\N.ase", "data\\T.ase", "data\\Y.ase", "data\\S.ase",
};

void compileRobotList() {
    // The letters have no material of their own: they are drawn right after the
    // robots and take this one.
    const float ambient[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    const float diffuse[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    const float specular[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glNewList(robotList, GL_COMPILE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    drawModel(&robotModel);
    glEndList();
}

} // namespace

void buildScene() {
    // A model that cannot be read stays empty and draws nothing; the loader has
    // said so on standard error. Files are read before their list is opened,
    // since reading may create textures.
    aseLoader.load(&robotModel, "data\\robot.ase");
    compileRobotList();

    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k) {
        aseLoader.load(&letterModels[k], LETTER_FILES[k]);
        glNewList(k + 2, GL_COMPILE);
        drawModel(&letterModels[k]);
        glEndList();
    }

    // Block k starts at (k, 0, 0.5 k), on a diagonal in block order.
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        letterBlocks[k] =
            LetterBlock(static_cast<float>(k), 0.0f, static_cast<float>(0.5 * k), 0.0f, k + 2);

    // The district's list records texture names, so they must exist first.
    loadTexture("data\\textura_okna1.bmp", &windowTexture);
    loadTexture("data\\textura_strecha.bmp", &roofTexture);
    glNewList(cityList, GL_COMPILE);
    buildCity();
    glEndList();
}
