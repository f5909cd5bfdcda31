// The importer of a model runs apart from the converter: an importer of many
// formats meets files that crash it, exhaust memory or never finish, and the
// converter must still end with one line and nothing written. On the desktop
// the import runs in a child process under limits on memory and time, which
// hands the imported model back; in the browser there is no second process,
// and a trap inside the import reaches the page as an exception.
#pragma once

#include "scene_import.h"

#include <cstdint>
#include <string>

struct ImportLimits {
    uint64_t memoryMiB; // the importer's memory: address space on Linux, committed memory on Windows
    double seconds;     // wall-clock time until the importer is stopped
};

// Enough for a model of a few million triangles with its pictures; far less
// than would make a machine swap.
constexpr uint64_t DEFAULT_IMPORT_MEMORY_MIB = 4096;
constexpr double DEFAULT_IMPORT_SECONDS = 120;
constexpr uint64_t MIN_IMPORT_MEMORY_MIB = 16;
constexpr uint64_t MAX_IMPORT_MEMORY_MIB = uint64_t(1) << 30;
constexpr double MAX_IMPORT_SECONDS = 86400;

// importModel (scene_import.h) under `limits`. False, with one line of reason,
// when the model is refused, and also when the importer crashes, aborts, trips
// a sanitizer, runs out of memory, does not finish in time or hands back
// nothing usable; the reason says which.
bool importIsolated(const std::string& path, const ImportLimits& limits, ImportedModel* imported,
                    std::string* reason);

// The child's side, where the platform starts the program again for it
// (Windows), is the command IMPORT_CHILD_COMMAND (convert_command.h): it
// imports MODEL and writes the outcome to standard output.

// What follows is shared by the platform files, which start the child and
// learn how it ended each in their own way.

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
// memory could have held (maxChildOutput) or for using more memory than it
// may.
struct ChildRun {
    std::string bytes;
    bool timedOut = false;
    bool tooLarge = false;
    bool outOfMemory = false; // it went past its memory limit without noticing
};

uint64_t maxChildOutput(const ImportLimits& limits);

// The reason for an importer stopped at its time limit.
std::string timeReason(const ImportLimits& limits);

// In the parent: the outcome of the child's run. True with the model when it
// imported one; false with the reason when it refused the file, said why it
// ended or was stopped. *known is false when the bytes are no outcome at all
// (the child ended before it wrote one): the platform then says how it ended.
bool outcomeOfRun(const ChildRun& run, const ImportLimits& limits, ImportedModel* imported,
                  std::string* reason, bool* known);
