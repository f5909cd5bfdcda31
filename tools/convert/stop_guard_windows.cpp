// The stop guard with Windows' console control handler, which the system
// calls on a thread of its own: it waits while a set is swapped, removes the
// temporary files it can, then lets the default handler end the process with
// the status Windows gives a console program stopped that way.
#include "stop_guard.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace {

const int MAX_GUARDED = 256;
char* guarded[MAX_GUARDED];
std::atomic<int> guardedCount{0};
SRWLOCK swapping = SRWLOCK_INIT;
bool guarding = false;

// Taking the lock waits for a swap to end and lets no other begin: the
// process ends when the handler returns, with the lock still taken.
BOOL WINAPI removeAndStop(DWORD) {
    AcquireSRWLockExclusive(&swapping);
    const int count = guardedCount.load();
    for (int i = 0; i < count; ++i)
        DeleteFileA(guarded[i]); // one still open for writing stays for the next run
    return FALSE;
}

} // namespace

void beginGuardedWrites() {
    // A console whose Ctrl+C was ignored at the start keeps ignoring it: the
    // handler is not called for it then.
    guarding = SetConsoleCtrlHandler(removeAndStop, TRUE) != 0;
}

void endGuardedWrites() {
    forgetTemporaryFiles();
    if (guarding)
        SetConsoleCtrlHandler(removeAndStop, FALSE);
    guarding = false;
}

void guardTemporaryFile(const std::string& path) {
    const int count = guardedCount.load();
    if (count >= MAX_GUARDED)
        return;
    char* copy = _strdup(path.c_str());
    if (!copy)
        return;
    guarded[count] = copy;
    guardedCount.store(count + 1);
}

// The names are not freed: the handler's thread may be reading one. A run
// guards a few hundred at most.
void forgetTemporaryFiles() {
    guardedCount.store(0);
}

void holdStops() {
    AcquireSRWLockExclusive(&swapping);
}

void releaseStops() {
    ReleaseSRWLockExclusive(&swapping);
}
