// letterbot-assets bitmap: not built yet.
#include "commands.h"

#include <cstdio>

int bitmapCommand(int, char**) {
    std::fputs("letterbot-assets: the bitmap command is not available yet\n", stderr);
    return 2;
}
