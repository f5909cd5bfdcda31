// letterbot-assets import-child MODEL: the import child's entry.
#include "import_child_command.h"

#include "import_child.h"

#include <cstdio>
#include <unistd.h>

int importChildCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: letterbot-assets import-child MODEL (the converter's own)\n", stderr);
        return 2;
    }
    prepareImportChild();
    return importInChild(argv[0], STDOUT_FILENO);
}
