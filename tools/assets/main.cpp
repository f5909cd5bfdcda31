// letterbot-assets: for people who make their own assets, reads bitmaps and
// models with the program's own readers and says what it found, and converts
// models of other formats.
#include "commands.h"

#include "convert_command.h"
#include "import_child_command.h"
#include "platform/console_messages.h"

#include <cstdio>
#include <cstring>

static int usage() {
    std::fputs("usage: letterbot-assets bitmap FILE [--ppm OUT]\n"
               "       letterbot-assets model FILE\n"
               "       letterbot-assets check [DIR]\n"
               "       letterbot-assets convert MODEL OUT.ase [--height H] [--turn DEGREES]\n"
               "                                [--memory-limit MIB] [--time-limit SECONDS]\n"
               "                                [--strict] [--]\n",
               stderr);
    return 2;
}

int main(int argc, char** argv) {
    // A console tool: the readers' message boxes become lines on standard error.
    showMessagesOnConsole();
    if (argc < 2)
        return usage();
    const char* command = argv[1];
    if (std::strcmp(command, "bitmap") == 0)
        return bitmapCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "model") == 0)
        return modelCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "check") == 0)
        return checkCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "convert") == 0)
        return convertCommand(argc - 2, argv + 2);
    if (std::strcmp(command, IMPORT_CHILD_COMMAND) == 0)
        return importChildCommand(argc - 2, argv + 2);
    return usage();
}
