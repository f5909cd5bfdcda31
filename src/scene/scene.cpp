// Start-up assembly of the scene: display lists, textures and the letter blocks.
#include "scene/scene.h"

#include "app/platform_api.h"
#include "scene/letter_block.h"

const int robotList = 1;
const int cityList = 13;
uint32_t windowTexture;
uint32_t roofTexture;

void buildScene() {
    // Block k starts at (k, 0, 0.5 k) and draws list k + 2.
    for (int k = 0; k < LETTER_BLOCK_COUNT; ++k)
        letterBlocks[k] = LetterBlock(static_cast<float>(k), 0.0f, static_cast<float>(0.5 * k),
                                      0.0f, k + 2);
}
