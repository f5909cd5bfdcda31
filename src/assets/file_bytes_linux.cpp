// Reading an asset file whole on Linux: mapped when possible, read otherwise.
#include "assets/file_bytes.h"

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads to the end of the stream into one growing malloc block.
bool readToEnd(int descriptor, size_t capacity, FileBytes* file) {
    uint8_t* buffer = static_cast<uint8_t*>(std::malloc(capacity ? capacity : 1));
    size_t filled = 0;
    while (buffer) {
        if (filled == capacity) {
            const size_t larger = capacity < 65536 ? 65536 : capacity * 2;
            uint8_t* grown =
                larger > capacity ? static_cast<uint8_t*>(std::realloc(buffer, larger)) : nullptr;
            if (!grown)
                break;
            buffer = grown;
            capacity = larger;
        }
        const ssize_t got = read(descriptor, buffer + filled, capacity - filled);
        if (got < 0)
            break;
        if (got == 0) {
            *file = FileBytes{filled ? buffer : nullptr, filled, false};
            if (!filled)
                std::free(buffer);
            return true;
        }
        filled += size_t(got);
    }
    std::free(buffer);
    return false;
}

} // namespace

FileBytesResult readFileBytes(const char* path, FileBytes* file) {
    *file = FileBytes{nullptr, 0, false};
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return FILE_BYTES_UNOPENABLE;
    struct stat status;
    if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        close(descriptor);
        return FILE_BYTES_UNOPENABLE;
    }
    const bool regular =
        S_ISREG(status.st_mode) && status.st_size > 0 && uintmax_t(status.st_size) <= SIZE_MAX;
    if (regular) {
        const size_t size = size_t(status.st_size);
        void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
        if (view != MAP_FAILED) {
            close(descriptor);
            *file = FileBytes{static_cast<const uint8_t*>(view), size, true};
            return FILE_BYTES_OK;
        }
    }
    const bool read = readToEnd(descriptor, regular ? size_t(status.st_size) : 0, file);
    close(descriptor);
    return read ? FILE_BYTES_OK : FILE_BYTES_UNREADABLE;
}

void releaseFileBytes(FileBytes* file) {
    if (file->mapped)
        munmap(const_cast<uint8_t*>(file->data), file->size);
    else
        std::free(const_cast<uint8_t*>(file->data));
    *file = FileBytes{nullptr, 0, false};
}
