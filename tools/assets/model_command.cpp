// letterbot-assets model: not built yet.
#include "commands.h"

#include <cstdio>

int modelCommand(int, char**) {
    std::fputs("letterbot-assets: the model command is not available yet\n", stderr);
    return 2;
}
