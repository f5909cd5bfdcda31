// An imported model as bytes, so that the process that ran the importer can
// hand it to the one that writes the files. The reader trusts nothing: the
// importer's process may have been left in any state, so every count is
// checked against the bytes that are left before it sizes anything.
#pragma once

#include "scene_import.h"

#include <cstddef>
#include <cstdint>
#include <string>

std::string encodeImportedModel(const ImportedModel& imported);

// False, with the model empty, when the bytes are not a whole, consistent
// model: truncated, with a count beyond what they hold, or with an index that
// names nothing.
bool decodeImportedModel(const uint8_t* bytes, size_t size, ImportedModel* imported);
