// The stop guard with POSIX signals: a handler that removes the temporary
// files and then lets the signal's own action end the process, and a blocked
// signal mask while a set is swapped.
#include "stop_guard.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const int STOPS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
const size_t STOP_COUNT = sizeof STOPS / sizeof *STOPS;
struct sigaction previous[STOP_COUNT];
bool guarding[STOP_COUNT];

const size_t MAX_GUARDED = 256;
char* guarded[MAX_GUARDED];
volatile sig_atomic_t guardedCount = 0;

sigset_t heldMask;

// unlink and raise are safe in a handler. SA_RESETHAND has given the signal
// its default action back, which ends the process once the handler returns.
void removeAndStop(int signal) {
    for (sig_atomic_t i = 0; i < guardedCount; ++i)
        unlink(guarded[i]);
    raise(signal);
}

sigset_t stopSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : STOPS)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void beginGuardedWrites() {
    struct sigaction guard = {};
    guard.sa_handler = removeAndStop;
    guard.sa_flags = SA_RESETHAND;
    guard.sa_mask = stopSet();
    for (size_t i = 0; i < STOP_COUNT; ++i) {
        guarding[i] = false;
        if (sigaction(STOPS[i], nullptr, &previous[i]) != 0 || previous[i].sa_handler == SIG_IGN)
            continue;
        guarding[i] = sigaction(STOPS[i], &guard, nullptr) == 0;
    }
}

void endGuardedWrites() {
    forgetTemporaryFiles();
    for (size_t i = 0; i < STOP_COUNT; ++i)
        if (guarding[i])
            sigaction(STOPS[i], &previous[i], nullptr);
}

void guardTemporaryFile(const std::string& path) {
    if (size_t(guardedCount) >= MAX_GUARDED)
        return;
    char* copy = strdup(path.c_str());
    if (!copy)
        return;
    // The handler sees the entry only once it is whole.
    guarded[guardedCount] = copy;
    guardedCount = guardedCount + 1;
}

void forgetTemporaryFiles() {
    const sig_atomic_t count = guardedCount;
    guardedCount = 0;
    for (sig_atomic_t i = 0; i < count; ++i)
        std::free(guarded[i]);
}

void holdStops() {
    const sigset_t stops = stopSet();
    sigprocmask(SIG_BLOCK, &stops, &heldMask);
}

void releaseStops() {
    sigprocmask(SIG_SETMASK, &heldMask, nullptr);
}
