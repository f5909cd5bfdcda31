// Temporary files beside their targets, put in place under a journal. The
// journal, a short text file written whole before any target changes, lists
// each temporary, its target and where the earlier target waits, and the
// files to remove. Its name says which way an interrupted swap goes: forward
// while it ends in ".journal", back once a failed step has renamed it to end
// in ".rollback". Every step of either way can be done again, so a run cut
// short while it finishes one is finished by the next. Names stay short, so
// that a target name of any legal length leaves room for them.
#include "staged_files.h"

#include "stop_guard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sstream>
#include <system_error>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

namespace fs = std::filesystem;

#ifndef O_BINARY
#define O_BINARY 0
#endif

const char* const STAGING_PREFIX = ".letterbot-convert-";

namespace {

const char* const JOURNAL_HEADER = "letterbot-assets swap";
const char* const FORWARD = ".journal";
const char* const BACKWARD = ".rollback";
const char* const NO_FILE = "-";

std::string inFolder(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / name).string();
}

bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool endsWith(const std::string& text, const char* end) {
    const size_t length = std::strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

// A name of the swap's own that nothing in the folder has yet.
std::string freshName(const std::string& folder, const char* suffix) {
    static std::mt19937 numbers{std::random_device{}()};
    for (;;) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "%08x", unsigned(numbers()));
        const std::string name = STAGING_PREFIX + std::string(tag) + suffix;
        if (!exists(inFolder(folder, name)))
            return name;
    }
}

bool flushToDisk(int fd) {
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return fsync(fd) == 0;
#endif
}

// A rename is lasting once its folder is flushed. Windows keeps a folder's
// entries in the file system's own journal, and lets no folder be flushed.
void flushFolder(const std::string& folder) {
#ifndef _WIN32
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    (void)folder;
#endif
}

// Creates `name` in `folder` with `bytes`, flushed. False with errno's reason;
// nothing of it is left then.
bool writeNewFile(const std::string& path, const std::string& bytes, int* error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0644);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    guardTemporaryFile(path);
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            ok = false;
            *error = written < 0 ? errno : EIO;
        }
        done += written > 0 ? size_t(written) : 0;
    }
    if (ok && !flushToDisk(fd)) {
        ok = false;
        *error = errno;
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        *error = errno;
    }
    if (!ok)
        std::remove(path.c_str());
    return ok;
}

struct Journal {
    std::vector<StagedFile> files;
    std::vector<std::string> removals;
};

std::string journalText(const Journal& journal) {
    std::string text = std::string(JOURNAL_HEADER) + "\n";
    for (const StagedFile& file : journal.files)
        text += "replace\t" + file.temporary + "\t" + file.target + "\t" +
                (file.aside.empty() ? NO_FILE : file.aside) + "\n";
    for (const std::string& name : journal.removals)
        text += "remove\t" + name + "\n";
    return text + "end\n";
}

// A name that stays inside the folder.
bool plainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < ' ')
            return false;
    return true;
}

bool ownName(const std::string& name) {
    return plainName(name) && name.compare(0, std::strlen(STAGING_PREFIX), STAGING_PREFIX) == 0;
}

// A journal is acted on only when it is whole and names nothing but the
// converter's own kinds of files in its folder.
bool parseJournal(const std::string& text, Journal* journal) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != JOURNAL_HEADER)
        return false;
    while (std::getline(lines, line)) {
        if (line == "end")
            return !std::getline(lines, line);
        std::vector<std::string> fields;
        std::istringstream parts(line);
        std::string field;
        while (std::getline(parts, field, '\t'))
            fields.push_back(field);
        if (fields.size() == 4 && fields[0] == "replace" && ownName(fields[1]) &&
            plainName(fields[2]) && (endsWith(fields[2], ".ase") || endsWith(fields[2], ".bmp")) &&
            (fields[3] == NO_FILE || ownName(fields[3])))
            journal->files.push_back(
                {fields[2], fields[1], fields[3] == NO_FILE ? std::string() : fields[3]});
        else if (fields.size() == 2 && fields[0] == "remove" && plainName(fields[1]) &&
                 endsWith(fields[1], ".bmp"))
            journal->removals.push_back(fields[1]);
        else
            return false;
    }
    return false;
}

bool readJournal(const std::string& path, Journal* journal) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::string text;
    char buffer[4096];
    size_t got;
    // Far more than any real swap lists.
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < (1u << 24))
        text.append(buffer, got);
    std::fclose(file);
    return parseJournal(text, journal);
}

bool renamed(const std::string& from, const std::string& to, std::string* reason,
             const std::string& what) {
    std::error_code error;
    fs::rename(from, to, error);
    if (error)
        *reason = "cannot replace " + what + ": " + error.message();
    return !error;
}

void removeFile(const std::string& path) {
    std::error_code error;
    fs::remove(path, error);
}

// Forward: every temporary still there goes into place, its earlier target
// aside first, then the removals and the earlier targets go.
bool rollForward(const std::string& folder, const Journal& journal, std::string* reason) {
    for (const StagedFile& file : journal.files) {
        const std::string temporary = inFolder(folder, file.temporary);
        const std::string target = inFolder(folder, file.target);
        if (!exists(temporary))
            continue;
        if (!file.aside.empty() && exists(target) && !exists(inFolder(folder, file.aside)) &&
            !renamed(target, inFolder(folder, file.aside), reason, target))
            return false;
        if (!renamed(temporary, target, reason, target))
            return false;
    }
    for (const std::string& name : journal.removals)
        removeFile(inFolder(folder, name));
    for (const StagedFile& file : journal.files)
        if (!file.aside.empty())
            removeFile(inFolder(folder, file.aside));
    return true;
}

// Back: a target whose temporary is gone holds the new file, which its
// earlier target replaces, or which goes where there was none; an earlier
// target moved aside before its new file came goes back too.
bool rollBack(const std::string& folder, const Journal& journal, std::string* reason) {
    bool ok = true;
    for (size_t i = journal.files.size(); i-- > 0;) {
        const StagedFile& file = journal.files[i];
        const std::string target = inFolder(folder, file.target);
        const std::string aside = file.aside.empty() ? "" : inFolder(folder, file.aside);
        const bool placed = !exists(inFolder(folder, file.temporary));
        if (!aside.empty() && exists(aside)) {
            std::string why;
            if ((placed || !exists(target)) && !renamed(aside, target, &why, target) && ok) {
                ok = false;
                *reason = why;
            }
        } else if (placed && file.aside.empty()) {
            removeFile(target);
        }
    }
    for (const StagedFile& file : journal.files)
        removeFile(inFolder(folder, file.temporary));
    return ok;
}

} // namespace

bool stageFile(StagedFiles* staged, const std::string& target, const std::string& bytes,
               std::string* reason) {
    if (staged->folder.empty())
        staged->folder = ".";
    const std::string path = inFolder(staged->folder, target);
    std::string name;
    int error = EEXIST;
    // O_EXCL: a name taken between the look and the open is tried again.
    for (int attempt = 0; error == EEXIST && attempt < 16; ++attempt) {
        name = freshName(staged->folder, ".new");
        error = 0;
        if (writeNewFile(inFolder(staged->folder, name), bytes, &error))
            break;
    }
    if (error != 0) {
        *reason = "cannot write " + path + ": " + std::strerror(error);
        return false;
    }
    // A target that is a file keeps its permissions; a new one, or one where
    // a link or anything else stood, gets those of a new file.
    std::error_code status;
    const fs::file_status existing = fs::symlink_status(path, status);
    if (!status && fs::is_regular_file(existing))
        fs::permissions(inFolder(staged->folder, name), existing.permissions(), status);
    staged->files.push_back({target, name, ""});
    return true;
}

bool commitFiles(StagedFiles* staged, std::string* reason) {
    const std::string& folder = staged->folder.empty() ? "." : staged->folder;
    Journal journal = {staged->files, staged->removals};
    for (StagedFile& file : journal.files)
        if (exists(inFolder(folder, file.target)))
            file.aside = freshName(folder, ".old");

    holdStops();
    // The journal goes into place whole, and lasting, before any target changes.
    const std::string written = freshName(folder, ".new");
    const std::string name = written.substr(0, written.size() - 4) + FORWARD;
    int error = 0;
    if (!writeNewFile(inFolder(folder, written), journalText(journal), &error) ||
        !renamed(inFolder(folder, written), inFolder(folder, name), reason, "the journal")) {
        if (error != 0)
            *reason = std::string("cannot write in ") + folder + ": " + std::strerror(error);
        removeFile(inFolder(folder, written));
        releaseStops();
        discardFiles(staged);
        return false;
    }
    flushFolder(folder);

    bool ok = true;
    for (const StagedFile& file : journal.files) {
        const std::string target = inFolder(folder, file.target);
        ok =
            (file.aside.empty() || renamed(target, inFolder(folder, file.aside), reason, target)) &&
            renamed(inFolder(folder, file.temporary), target, reason, target);
        if (!ok)
            break;
    }
    if (ok) {
        ok = rollForward(folder, journal, reason);
    }
    if (!ok) {
        // Should the process end while it puts the earlier files back, the
        // next run goes on putting them back.
        const std::string back = name.substr(0, name.size() - std::strlen(FORWARD)) + BACKWARD;
        std::string why;
        renamed(inFolder(folder, name), inFolder(folder, back), &why, "the journal");
        flushFolder(folder);
        if (rollBack(folder, journal, &why)) {
            removeFile(inFolder(folder, back));
            removeFile(inFolder(folder, name));
        }
    }
    flushFolder(folder);
    if (ok)
        removeFile(inFolder(folder, name));
    forgetTemporaryFiles();
    releaseStops();
    staged->files.clear();
    staged->removals.clear();
    return ok;
}

void discardFiles(StagedFiles* staged) {
    for (const StagedFile& file : staged->files)
        removeFile(inFolder(staged->folder.empty() ? "." : staged->folder, file.temporary));
    forgetTemporaryFiles();
    staged->files.clear();
    staged->removals.clear();
}

bool recoverFolder(const std::string& folder, std::string* reason) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (ownName(entry->path().filename().string()))
            names.push_back(entry->path().filename().string());
    if (error) {
        *reason = "cannot list " + folder + ": " + error.message();
        return false;
    }
    holdStops();
    bool ok = true;
    for (const std::string& name : names) {
        const bool forward = endsWith(name, FORWARD), backward = endsWith(name, BACKWARD);
        if (!forward && !backward)
            continue;
        const std::string path = inFolder(folder, name);
        Journal journal;
        std::string why;
        // A journal that is not whole was never acted on: it goes as debris.
        if (readJournal(path, &journal) &&
            !(forward ? rollForward(folder, journal, &why) : rollBack(folder, journal, &why))) {
            *reason = "an earlier conversion into " + folder +
                      " was cut short and cannot be finished: " + why;
            ok = false;
            break;
        }
        flushFolder(folder);
        removeFile(path);
    }
    if (ok) {
        for (const std::string& name : names)
            if (endsWith(name, ".new") || endsWith(name, ".old"))
                removeFile(inFolder(folder, name));
        flushFolder(folder);
    }
    releaseStops();
    return ok;
}
