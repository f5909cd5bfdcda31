// Paths and asset files where the system is POSIX (Linux, and the browser's
// in-memory file system under Emscripten): backslashes become slashes, and a
// regular file is mapped when the system can map it, read otherwise.
#include "platform/file_bytes.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstdlib>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ptrdiff_t readDescriptor(void* source, uint8_t* buffer, size_t size) {
    return ::read(*static_cast<int*>(source), buffer, size);
}

} // namespace

std::string assetPathToLocal(const char* path) {
    std::string result = path ? path : "";
    for (char& c : result)
        if (c == '\\')
            c = '/';
    return result;
}

FileBytesResult readFileBytes(const char* path, FileBytes* file) {
    *file = FileBytes{nullptr, 0, false};
    int descriptor = open(path, O_RDONLY | O_CLOEXEC);
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
    const bool read =
        readToEnd(readDescriptor, &descriptor, regular ? size_t(status.st_size) : 0, file);
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
