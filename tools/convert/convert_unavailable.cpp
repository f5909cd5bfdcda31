// letterbot-assets convert in a build without stb (a Debian machine without
// libstb-dev): it says so.
#include "convert_command.h"
#include "import_child_command.h"

#include <cstdio>

int convertCommand(int, char**) {
    std::fputs("letterbot-assets: this build cannot convert models: it was built without stb "
               "(on Debian: script/bootstrap tools, then build again)\n",
               stderr);
    return 1;
}

int importChildCommand(int argc, char** argv) {
    return convertCommand(argc, argv);
}
