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
