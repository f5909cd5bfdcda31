// Stop requests while the converter writes its files: Ctrl+C, SIGTERM, SIGHUP
// and SIGQUIT on Linux, the console's Ctrl+C, Ctrl+Break and close on Windows.
// While files are being written, a stop removes the temporary files before the
// process ends as it would have; while a set is being swapped into place, it
// is held off until the set is whole, and taken then. A stop request that
// was ignored when the converter started stays ignored.
#pragma once

#include <string>

// From the first temporary file to the last rename.
void beginGuardedWrites();
void endGuardedWrites();

// A temporary file that a stop removes, until forgetTemporaryFiles. Only the
// first few hundred of a run are kept: the next run removes any others.
void guardTemporaryFile(const std::string& path);
void forgetTemporaryFiles();

// Holds stop requests off, and takes a held one once released.
void holdStops();
void releaseStops();
