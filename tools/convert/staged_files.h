// Writes a set of files so that a failure leaves none of them half written:
// each is first written in full to a temporary file beside its target, and only
// when all are written are they renamed into place, the last one last.
#pragma once

#include <string>
#include <vector>

struct StagedFile {
    std::string target;
    std::string temporary;
};

struct StagedFiles {
    std::vector<StagedFile> files;
};

// Writes `bytes` to a new temporary file beside `target`. False, with a
// reason, when it cannot be created or written (nothing of it is left then).
bool stageFile(StagedFiles* staged, const std::string& target, const std::string& bytes,
               std::string* reason);

// Renames every temporary file to its target, in the order they were staged.
// False, with a reason, at the first rename that fails; the temporaries not yet
// renamed are removed.
bool commitFiles(StagedFiles* staged, std::string* reason);

// Removes every temporary file that has not been renamed.
void discardFiles(StagedFiles* staged);
