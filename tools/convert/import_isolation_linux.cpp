// The import in a forked child process on Linux: limits set with setrlimit in
// the child, which dies with its parent, the outcome read from a pipe under a
// wall-clock deadline, and the child's end read from its wait status.
#include "import_child.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// An address-space limit would leave AddressSanitizer, which reserves
// terabytes for its shadow memory, unable to work; a sanitized build has only
// the time limit.
#if defined(__SANITIZE_ADDRESS__)
const bool ADDRESS_SPACE_LIMIT = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
const bool ADDRESS_SPACE_LIMIT = false;
#else
const bool ADDRESS_SPACE_LIMIT = true;
#endif
#else
const bool ADDRESS_SPACE_LIMIT = true;
#endif

// Past the wall-clock limit, which the parent keeps, the child may still use
// this much processor time: a backstop should the parent be gone.
const double SPARE_CPU_SECONDS = 10;

[[noreturn]] void runChild(const std::string& path, const ImportLimits& limits, int fd,
                           pid_t parent) {
    // The child ends with its parent: a parent killed before the request took
    // hold has made init the parent already.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(EXIT_FAILURE);
    const rlim_t cpu = rlim_t(std::ceil(limits.seconds + SPARE_CPU_SECONDS));
    const rlimit cpuTime = {cpu, cpu + 5};
    setrlimit(RLIMIT_CPU, &cpuTime);
    // No core file for a crash that is expected and reported, and no
    // messages: the parent says what happened, in one line.
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (ADDRESS_SPACE_LIMIT) {
        const rlim_t bytes = rlim_t(limits.memoryMiB) << 20;
        const rlimit memory = {bytes, bytes};
        setrlimit(RLIMIT_AS, &memory);
    }
    const int quiet = open("/dev/null", O_RDWR);
    if (quiet >= 0) {
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        close(quiet);
    }
    _exit(importInChild(path, fd));
}

std::string signalReason(int signal, const ImportLimits& limits) {
    switch (signal) {
    case SIGSEGV:
    case SIGBUS:
    case SIGFPE:
    case SIGILL:
    case SIGTRAP:
        return "the importer crashed on it (" + std::string(strsignal(signal)) + ")";
    case SIGABRT:
        return "the importer aborted on it";
    case SIGXCPU:
        return timeReason(limits);
    default:
        return "the importer was ended by signal " + std::to_string(signal) + " (" +
               strsignal(signal) + ")";
    }
}

} // namespace

bool importIsolated(const std::string& path, const ImportLimits& limits, ImportedModel* imported,
                    std::string* reason) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        *reason = std::string("cannot start the importer: ") + std::strerror(errno);
        return false;
    }
    // Whatever is buffered would otherwise be written twice.
    std::fflush(nullptr);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        *reason = std::string("cannot start the importer: ") + std::strerror(errno);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        runChild(path, limits, pipeFds[1], parent);
    }
    close(pipeFds[1]);

    const ChildDeadline deadline = deadlineFor(limits);
    ChildRun run;
    bool broken = false;
    char buffer[1 << 16];
    for (;;) {
        const int64_t left = millisecondsLeft(deadline);
        if (left <= 0) {
            run.timedOut = true;
            break;
        }
        pollfd waiting = {pipeFds[0], POLLIN, 0};
        const int ready = poll(&waiting, 1, int(std::min<int64_t>(left, 1000)));
        if (ready < 0 && errno != EINTR) {
            broken = true;
            break;
        }
        if (ready <= 0)
            continue;
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || !takeChildBytes(&run, buffer, size_t(got), limits))
            break; // the child has ended, closed its end, or wrote too much
    }
    close(pipeFds[0]);
    if (run.timedOut || run.tooLarge || broken)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    bool known = false;
    const bool ok = outcomeOfRun(run, limits, imported, reason, &known);
    if (known)
        return ok;
    if (WIFSIGNALED(status))
        *reason = signalReason(WTERMSIG(status), limits);
    else
        *reason = "the importer ended without a result (status " +
                  std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    return false;
}

// The child is forked and set up in runChild; nothing starts it anew.
void prepareImportChild() {}
