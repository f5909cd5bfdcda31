// Routes the process's standard output into a temporary file for the span of a
// test, so that the robot's trace lines can be read back.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

struct StdoutCapture {
    std::FILE* file = nullptr;
    int savedFd = -1;
};

inline bool beginCapture(StdoutCapture& capture) {
    std::fflush(stdout);
    capture.file = std::tmpfile();
    if (!capture.file)
        return false;
    capture.savedFd = dup(STDOUT_FILENO);
    return capture.savedFd >= 0 && dup2(fileno(capture.file), STDOUT_FILENO) >= 0;
}

// Restores standard output and returns everything written meanwhile.
inline std::string endCapture(StdoutCapture& capture) {
    std::fflush(stdout);
    if (capture.savedFd >= 0) {
        dup2(capture.savedFd, STDOUT_FILENO);
        close(capture.savedFd);
        capture.savedFd = -1;
    }
    std::string text;
    if (capture.file) {
        std::rewind(capture.file);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, capture.file)) > 0)
            text.append(buffer, n);
        std::fclose(capture.file);
        capture.file = nullptr;
    }
    return text;
}
