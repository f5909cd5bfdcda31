// Temporary files beside their targets, renamed into place at the end. The
// rename within one folder replaces a target at once, never in part.
#include "staged_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Temporaries get the permissions a new file gets (mkstemp makes them
// private); a target that already exists keeps its own.
static mode_t permissionsFor(const std::string& target) {
    struct stat existing;
    if (stat(target.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool stageFile(StagedFiles* staged, const std::string& target, const std::string& bytes,
               std::string* reason) {
    std::string name = target + ".XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0) {
        *reason = "cannot create a file beside " + target + ": " + std::strerror(errno);
        return false;
    }
    bool ok = fchmod(fd, permissionsFor(target)) == 0;
    int error = ok ? 0 : errno;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            ok = false;
            error = written < 0 ? errno : EIO;
            break;
        }
        done += size_t(written);
    }
    if (ok && fsync(fd) != 0) {
        ok = false;
        error = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        std::remove(name.c_str());
        *reason = "cannot write " + target + ": " + std::strerror(error);
        return false;
    }
    staged->files.push_back({target, name});
    return true;
}

bool commitFiles(StagedFiles* staged, std::string* reason) {
    while (!staged->files.empty()) {
        const StagedFile& file = staged->files.front();
        if (std::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
            *reason = "cannot replace " + file.target + ": " + std::strerror(errno);
            discardFiles(staged);
            return false;
        }
        staged->files.erase(staged->files.begin());
    }
    return true;
}

void discardFiles(StagedFiles* staged) {
    for (const StagedFile& file : staged->files)
        std::remove(file.temporary.c_str());
    staged->files.clear();
}
