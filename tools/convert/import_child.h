// What the import child and the converter share, for the platform files that
// start the child and learn how it ended, each in their own way: the outcome
// the child writes, and the parent's reading of it under the deadline.
#pragma once

#include "import_isolation.h"

#include <chrono>
#include <cstdint>
#include <string>

// In the child: imports `path` and writes the outcome to the file descriptor
// `fd`. Should memory run out or a sanitizer report a fault, that is written
// instead, before the process ends. Returns the child's exit status.
int importInChild(const std::string& path, int fd);

// In a child that the platform started as a program of its own (Windows):
// makes standard output carry bytes unchanged, and a crash end the process at
// once with its exception's code, with no dialog, debugger or message.
void prepareImportChild();

// What the parent saw of the child's run: the bytes it wrote, and whether the
// parent stopped it for taking too long, for handing back more than its
// memory could have held or for using more memory than it may.
struct ChildRun {
    std::string bytes;
    bool timedOut = false;
    bool tooLarge = false;
    bool outOfMemory = false; // it went past its memory limit without noticing
};

// When the child's time is up, by the wall clock.
struct ChildDeadline {
    std::chrono::steady_clock::time_point at;
};

ChildDeadline deadlineFor(const ImportLimits& limits);

// Milliseconds left until the deadline; 0 or less once it has passed.
int64_t millisecondsLeft(const ChildDeadline& deadline);

// Adds what the child wrote to run->bytes. False, with run->tooLarge set, when
// that would be more than the child's memory could have held.
bool takeChildBytes(ChildRun* run, const char* bytes, size_t size, const ImportLimits& limits);

// The reason for an importer stopped at its time limit.
std::string timeReason(const ImportLimits& limits);

// In the parent: the outcome of the child's run. True with the model when it
// imported one; false with the reason when it refused the file, said why it
// ended or was stopped. *known is false when the bytes are no outcome at all
// (the child ended before it wrote one): the platform then says how it ended.
bool outcomeOfRun(const ChildRun& run, const ImportLimits& limits, ImportedModel* imported,
                  std::string* reason, bool* known);
