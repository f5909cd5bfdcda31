// letterbot-assets convert in a build without assimp and stb (Windows, or a
// Debian machine without libassimp-dev and libstb-dev): it says so.
#include "convert_command.h"

#include <cstdio>

int convertCommand(int, char**) {
    std::fputs("letterbot-assets: this build cannot convert models: it was built without assimp "
               "and stb (on Debian: script/bootstrap tools, then build again)\n",
               stderr);
    return 1;
}
