// The Linux side of the platform layer.
#include "app/platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

void showMessageBox(MessageBoxOwner, const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s", caption ? caption : "", text ? text : "");
    const size_t length = text ? std::strlen(text) : 0;
    if (length == 0 || text[length - 1] != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

void showMessagesOnConsole() {}

std::string platformPath(const char* path) {
    std::string result = path ? path : "";
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

void preferDirectGLPath() {
    // The window is never resized, so the scaling framebuffer only costs a copy
    // of every frame; overwrite = 0 keeps a value the user set.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
}

// A large picture fills thousands of fresh pages; 2 MB pages save most of the
// page faults, which cost as much as the decoding.
void preferLargePages(void* block, size_t size) {
    const uintptr_t huge = uintptr_t(2) << 20;
    if (!block || size < 2 * huge)
        return;
    const uintptr_t begin = (uintptr_t(block) + huge - 1) & ~(huge - 1);
    const uintptr_t end = (uintptr_t(block) + size) & ~(huge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
