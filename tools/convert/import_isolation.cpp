// What the importer's process and the converter's say to each other: the
// child writes one outcome, "LBIM" and a tag, then the model or a reason. An
// outcome written when memory runs out or a sanitizer stops the process is
// built beforehand, so that writing it needs no memory.
#include "import_child.h"

#include "imported_model_codec.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unistd.h>

namespace {

const char MAGIC[4] = {'L', 'B', 'I', 'M'};

enum OutcomeTag : char {
    OUTCOME_MODEL = 'M',
    OUTCOME_REFUSED = 'R',
    OUTCOME_OUT_OF_MEMORY = 'O',
    OUTCOME_SANITIZER = 'S',
};

// The child's descriptor for the handlers below, which may run at any time.
int outcomeFd = -1;

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

void writeOutcome(OutcomeTag tag, const std::string& payload) {
    const char head[] = {MAGIC[0], MAGIC[1], MAGIC[2], MAGIC[3], tag};
    writeAll(outcomeFd, head, sizeof head) && writeAll(outcomeFd, payload.data(), payload.size());
}

// A fixed outcome, written without memory. Out of memory, the process ends at
// once, without the exit handlers, which might need memory or meet a broken
// heap; after a sanitizer's report, the sanitizer ends it.
void outOfMemory() {
    const char outcome[] = {MAGIC[0], MAGIC[1], MAGIC[2], MAGIC[3], OUTCOME_OUT_OF_MEMORY};
    writeAll(outcomeFd, outcome, sizeof outcome);
    _exit(EXIT_FAILURE);
}

#ifdef __linux__
void sanitizerReport() {
    const char outcome[] = {MAGIC[0], MAGIC[1], MAGIC[2], MAGIC[3], OUTCOME_SANITIZER};
    writeAll(outcomeFd, outcome, sizeof outcome);
}
#endif

} // namespace

#ifdef __linux__
// The sanitizers' runtime provides this in a sanitized build; elsewhere the
// weak reference stays null.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));
#endif

int importInChild(const std::string& path, int fd) {
    outcomeFd = fd;
    std::set_new_handler(outOfMemory);
#ifdef __linux__
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(sanitizerReport);
#endif
    ImportedModel imported;
    std::string reason;
    if (importModel(path, &imported, &reason))
        writeOutcome(OUTCOME_MODEL, encodeImportedModel(imported));
    else
        writeOutcome(OUTCOME_REFUSED, reason);
    return EXIT_SUCCESS;
}

static std::string memoryReason(const ImportLimits& limits) {
    return "the importer ran out of memory: it may use " + std::to_string(limits.memoryMiB) +
           " MiB (--memory-limit changes that)";
}

std::string timeReason(const ImportLimits& limits) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "the importer did not finish within %g s (--time-limit changes that)",
                  limits.seconds);
    return text;
}

ChildDeadline deadlineFor(const ImportLimits& limits) {
    using Clock = std::chrono::steady_clock;
    return {Clock::now() + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(limits.seconds))};
}

int64_t millisecondsLeft(const ChildDeadline& deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline.at -
                                                                 std::chrono::steady_clock::now())
        .count();
}

// A child that hands back more than its memory could have held is stopped
// before the parent holds it all.
bool takeChildBytes(ChildRun* run, const char* bytes, size_t size, const ImportLimits& limits) {
    if (run->bytes.size() + size > (limits.memoryMiB << 20)) {
        run->tooLarge = true;
        return false;
    }
    run->bytes.append(bytes, size);
    return true;
}

bool outcomeOfRun(const ChildRun& run, const ImportLimits& limits, ImportedModel* imported,
                  std::string* reason, bool* known) {
    *known = true;
    if (run.timedOut) {
        *reason = timeReason(limits);
        return false;
    }
    if (run.tooLarge) {
        *reason = "the importer handed back more than its memory could have held";
        return false;
    }
    if (run.outOfMemory) {
        *reason = memoryReason(limits);
        return false;
    }
    const std::string& bytes = run.bytes;
    *known = bytes.size() > sizeof MAGIC && std::memcmp(bytes.data(), MAGIC, sizeof MAGIC) == 0;
    if (!*known)
        return false;
    const char tag = bytes[sizeof MAGIC];
    const size_t start = sizeof MAGIC + 1;
    switch (tag) {
    case OUTCOME_MODEL:
        if (decodeImportedModel(reinterpret_cast<const uint8_t*>(bytes.data()) + start,
                                bytes.size() - start, imported))
            return true;
        *reason = "the importer handed back a model that is not whole";
        return false;
    case OUTCOME_REFUSED:
        *reason = bytes.substr(start);
        return false;
    case OUTCOME_OUT_OF_MEMORY:
        *reason = memoryReason(limits);
        return false;
    case OUTCOME_SANITIZER:
        *reason = "the importer tripped a sanitizer (it reported a memory or undefined-behaviour "
                  "fault)";
        return false;
    default:
        *known = false;
        return false;
    }
}
