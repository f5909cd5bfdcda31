// The importer's side of the converter, where the system starts the program
// again for it ("letterbot-assets import-child MODEL", on Windows): it imports
// MODEL and writes the outcome to standard output (import_isolation.h).
#pragma once

const char* const IMPORT_CHILD_COMMAND = "import-child";

// Takes the arguments after the command; returns the child's exit status.
int importChildCommand(int argc, char** argv);
