// Texture loading: the decoded bitmap goes to GLU, which builds every level.
#include "assets/texture.h"

#include "app/error_log.h"
#include "platform/exit_status.h"
#include "platform/platform.h"
#include "platform/platform_api.h"
#include "assets/bmp_reader.h"

#include <cstdio>
#include <cstdlib>
#include <string>

void loadTexture(const char* path, unsigned* name) {
    if (!path)
        return;
    const std::string file = assetPathToLocal(path);
    std::FILE* probe = std::fopen(file.c_str(), "r");
    if (!probe) {
        // The box's text names no file; with several bitmaps (a model's own
        // among them) the user needs to know which one is missing.
        std::fprintf(stderr, "Unable to find or open the texture: %s\n", file.c_str());
        const char* message = "Couldn't find a texture!";
        showMessageBox(MESSAGE_BOX_UNOWNED, "Error!", message);
        fatalExitShown(EXIT_MISSING_ASSET, message);
    }
    std::fclose(probe);

    // The reader has shown its own message, which says why but not which file;
    // going on would leave a model or a wall without its picture, so a bad
    // bitmap ends the program like a missing one.
    BitmapLoad load;
    loadBitmapFile(file.c_str(), &load);
    if (!load.image) {
        std::fprintf(stderr, "Unable to decode the texture: %s\n", file.c_str());
        fatalExitShown(EXIT_MISSING_ASSET, load.report);
    }
    ImageRGB* image = load.image;

    GLuint texture = 0;
    glGenTextures(1, &texture);
    *name = texture;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // the rows are packed
    glBindTexture(GL_TEXTURE_2D, texture);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                      image->pixels);
    // Plain GL_LINEAR: the levels exist but the city looks the way it always has.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    freeImage(image);
}
