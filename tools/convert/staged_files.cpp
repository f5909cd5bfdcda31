// Temporary files beside their targets, put in place at the end. A rename
// within one folder replaces a file at once, never in part; an earlier target
// is moved aside first, so that a later failure can put it back.
#include "staged_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <system_error>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

namespace fs = std::filesystem;

#ifndef O_BINARY
#define O_BINARY 0
#endif

// A name beside `target` that nothing has yet: TARGET.SUFFIX-XXXXXXXX.
static std::string freshName(const std::string& target, const char* suffix) {
    static std::mt19937 numbers{std::random_device{}()};
    for (;;) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "%08x", unsigned(numbers()));
        const std::string name = target + "." + suffix + "-" + tag;
        std::error_code error;
        if (!fs::exists(fs::symlink_status(name, error)))
            return name;
    }
}

static bool flushToDisk(int fd) {
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return fsync(fd) == 0;
#endif
}

bool stageFile(StagedFiles* staged, const std::string& target, const std::string& bytes,
               std::string* reason) {
    std::string name;
    int fd = -1;
    // O_EXCL: a name taken between the look and the open is tried again.
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        name = freshName(target, "new");
        fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *reason = "cannot create a file beside " + target + ": " + std::strerror(errno);
        return false;
    }
    bool ok = true;
    int error = 0;
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
    if (ok && !flushToDisk(fd)) {
        ok = false;
        error = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    // A target that already exists keeps its permissions; a new one gets
    // those a new file gets.
    std::error_code status;
    const fs::file_status existing = fs::status(target, status);
    if (ok && !status && fs::exists(existing))
        fs::permissions(name, existing.permissions(), status);
    if (!ok) {
        std::remove(name.c_str());
        *reason = "cannot write " + target + ": " + std::strerror(error);
        return false;
    }
    staged->files.push_back({target, name, ""});
    return true;
}

// Undoes the first `count` files put in place: each earlier target goes back,
// and a target that was new goes.
static void putBack(StagedFiles* staged, size_t count) {
    for (size_t i = count; i-- > 0;) {
        const StagedFile& file = staged->files[i];
        std::error_code error;
        if (file.previous.empty())
            fs::remove(file.target, error);
        else
            fs::rename(file.previous, file.target, error);
    }
}

bool commitFiles(StagedFiles* staged, std::string* reason) {
    size_t placed = 0;
    for (; placed < staged->files.size(); ++placed) {
        StagedFile& file = staged->files[placed];
        std::error_code error;
        if (fs::exists(fs::symlink_status(file.target, error))) {
            const std::string aside = freshName(file.target, "old");
            fs::rename(file.target, aside, error);
            if (error) {
                *reason = "cannot replace " + file.target + ": " + error.message();
                break;
            }
            file.previous = aside;
        }
        fs::rename(file.temporary, file.target, error);
        if (error) {
            *reason = "cannot replace " + file.target + ": " + error.message();
            // This one is not in place: only its earlier target goes back.
            if (!file.previous.empty())
                fs::rename(file.previous, file.target, error);
            file.previous.clear();
            break;
        }
        file.temporary.clear();
    }
    if (placed < staged->files.size()) {
        putBack(staged, placed);
        discardFiles(staged);
        return false;
    }
    for (const StagedFile& file : staged->files) {
        std::error_code error;
        if (!file.previous.empty())
            fs::remove(file.previous, error);
    }
    staged->files.clear();
    return true;
}

void discardFiles(StagedFiles* staged) {
    for (const StagedFile& file : staged->files)
        if (!file.temporary.empty())
            std::remove(file.temporary.c_str());
    staged->files.clear();
}
