// Replaces a set of files in one folder as a whole. Every new file is first
// written in full, and flushed, to a temporary file beside its target. Then a
// journal is written that records the swap; stop requests are held off; each
// earlier target is moved aside and the new file renamed into place, in the
// order staged; the earlier files that the new set no longer has are removed;
// the folder is flushed and the journal goes. A step that fails puts every
// earlier file back. A swap cut short by a kill or a power cut is finished from
// its journal by the next run (recoverFolder), which also removes what runs
// that were stopped while writing left behind. Call everything with the
// folder's lock held (output_lock.h).
#pragma once

#include <string>
#include <vector>

struct StagedFile {
    std::string target;    // a file name in the folder
    std::string temporary; // the new file's name until it is in place
    std::string aside;     // where the earlier target waits during the swap
};

struct StagedFiles {
    std::string folder;                // "." for the working folder
    std::vector<StagedFile> files;     // in the order they go into place
    std::vector<std::string> removals; // earlier files the new set no longer has
};

// Writes `bytes` to a new temporary file for `target`, a file name in
// staged->folder. A target that is a regular file now lends the new one its
// permissions; any other gets a new file's (0644 less the umask). False, with
// a reason, when it cannot be created or written (nothing of it is left then).
bool stageFile(StagedFiles* staged, const std::string& target, const std::string& bytes,
               std::string* reason);

// Puts every staged file in place and removes the removals. False, with a
// reason, when a step fails: every target is then as it was before, and the
// temporaries are removed.
bool commitFiles(StagedFiles* staged, std::string* reason);

// Removes every temporary file that has not been put in place.
void discardFiles(StagedFiles* staged);

// Finishes a swap in `folder` that an earlier run could not end, forward from
// a journal or back from a failed one, and removes the temporary files that
// stopped runs left. False, with a reason, when a swap cannot be finished.
bool recoverFolder(const std::string& folder, std::string* reason);

// The files this module keeps in a folder while it works start with this.
extern const char* const STAGING_PREFIX;
