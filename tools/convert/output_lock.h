// One conversion at a time writes into a folder. A second one waits for the
// first to end, up to a limit, and then says that the folder is busy. The lock
// goes with the process, however it ends, so a killed run never leaves the
// folder locked.
#pragma once

#include <cstdint>
#include <string>

struct OutputLock {
    intptr_t handle = -1; // the system's handle of what is locked; -1: nothing
};

// Takes the lock on `folder`, waiting up to `seconds`. False, with a reason,
// when another conversion holds it that long or the folder cannot be opened.
// A file system that has no locks is written without one.
bool lockOutputFolder(const std::string& folder, double seconds, OutputLock* lock,
                      std::string* reason);

void unlockOutputFolder(OutputLock* lock);
