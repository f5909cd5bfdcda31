// The output lock on Linux: flock on the folder itself, so that no lock file
// is left in it.
#include "output_lock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

bool lockOutputFolder(const std::string& folder, double seconds, OutputLock* lock,
                      std::string* reason) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *reason = "cannot open the output folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            break; // no locks on this file system
        if (std::chrono::steady_clock::now() >= deadline) {
            close(fd);
            char waited[32];
            std::snprintf(waited, sizeof waited, "%g", seconds);
            *reason = "the output folder " + folder +
                      " is busy: another conversion is writing there (waited " + waited + " s)";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    lock->handle = fd;
    return true;
}

void unlockOutputFolder(OutputLock* lock) {
    if (lock->handle >= 0)
        close(int(lock->handle)); // which ends the lock
    lock->handle = -1;
}
