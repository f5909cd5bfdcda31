// letterbot-assets check: not built yet.
#include "commands.h"

#include <cstdio>

int checkCommand(int, char**) {
    std::fputs("letterbot-assets: the check command is not available yet\n", stderr);
    return 2;
}
