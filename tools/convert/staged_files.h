// Replaces a set of files as a whole, as near to that as a file system
// allows: each file is first written in full to a temporary file beside its
// target; then, in the order staged, each earlier target is moved aside and
// the new file renamed into place. If any step fails, the files already
// replaced are put back as they were. A file system replaces one file at once
// but not several, so only a machine that stops between two renames can leave
// a mix; a failure the program sees cannot.
#pragma once

#include <string>
#include <vector>

struct StagedFile {
    std::string target;
    std::string temporary;
    std::string previous; // where the earlier target waits while the set is replaced
};

struct StagedFiles {
    std::vector<StagedFile> files;
};

// Writes `bytes` to a new temporary file beside `target`. False, with a
// reason, when it cannot be created or written (nothing of it is left then).
bool stageFile(StagedFiles* staged, const std::string& target, const std::string& bytes,
               std::string* reason);

// Puts every staged file in place, in the order staged. False, with a reason,
// when a step fails: every target is then as it was before, and the
// temporaries are removed.
bool commitFiles(StagedFiles* staged, std::string* reason);

// Removes every temporary file that has not been put in place.
void discardFiles(StagedFiles* staged);
