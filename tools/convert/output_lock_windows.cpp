// The output lock on Windows, which locks no folder: a hidden file in it that
// one process at a time can open, and that goes when its handle closes.
#include "output_lock.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

bool lockOutputFolder(const std::string& folder, double seconds, OutputLock* lock,
                      std::string* reason) {
    const std::string path = (std::filesystem::path(folder) / ".letterbot-convert.lock").string();
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::duration<double>(seconds);
    for (;;) {
        const HANDLE file =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            lock->handle = reinterpret_cast<intptr_t>(file);
            return true;
        }
        // A lock file that its last holder has just closed is denied for a
        // moment while it goes; a folder that cannot be written, for good.
        const DWORD error = GetLastError();
        const bool pending = error == ERROR_ACCESS_DENIED &&
                             std::chrono::steady_clock::now() < start + std::chrono::seconds(2);
        if (error != ERROR_SHARING_VIOLATION && !pending) {
            *reason = "cannot lock the output folder " + folder + " (error " +
                      std::to_string(error) + ")";
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            char waited[32];
            std::snprintf(waited, sizeof waited, "%g", seconds);
            *reason = "the output folder " + folder +
                      " is busy: another conversion is writing there (waited " + waited + " s)";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void unlockOutputFolder(OutputLock* lock) {
    if (lock->handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(lock->handle));
    lock->handle = -1;
}
