// Reading an asset file whole on Windows: a read-only view of a file on disk,
// read into memory otherwise (a pipe, say).
#include "assets/file_bytes.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>

namespace {

// A pipe whose writer has gone reports its end as a broken pipe.
ptrdiff_t readHandle(void* source, uint8_t* buffer, size_t size) {
    const DWORD wanted = size > 0x40000000 ? 0x40000000 : DWORD(size);
    DWORD got = 0;
    if (!ReadFile(*static_cast<HANDLE*>(source), buffer, wanted, &got, nullptr) &&
        GetLastError() != ERROR_BROKEN_PIPE)
        return -1;
    return ptrdiff_t(got);
}

// A view of the whole file, or null.
const uint8_t* mapWhole(HANDLE handle) {
    HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping)
        return nullptr;
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    // The view keeps the mapping alive.
    CloseHandle(mapping);
    return static_cast<const uint8_t*>(view);
}

} // namespace

FileBytesResult readFileBytes(const char* path, FileBytes* file) {
    *file = FileBytes{nullptr, 0, false};
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FILE_BYTES_UNOPENABLE;
    BY_HANDLE_FILE_INFORMATION information;
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    if (disk && (!GetFileInformationByHandle(handle, &information) ||
                 (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(handle);
        return FILE_BYTES_UNOPENABLE;
    }
    const uint64_t size =
        disk ? uint64_t(information.nFileSizeHigh) << 32 | information.nFileSizeLow : 0;
    // An empty file cannot be mapped; it is read, as nothing.
    const bool mappable = disk && size > 0 && size <= SIZE_MAX;
    if (mappable) {
        if (const uint8_t* view = mapWhole(handle)) {
            CloseHandle(handle);
            *file = FileBytes{view, size_t(size), true};
            return FILE_BYTES_OK;
        }
    }
    const bool read = readToEnd(readHandle, &handle, mappable ? size_t(size) : 0, file);
    CloseHandle(handle);
    return read ? FILE_BYTES_OK : FILE_BYTES_UNREADABLE;
}

void releaseFileBytes(FileBytes* file) {
    if (file->mapped)
        UnmapViewOfFile(file->data);
    else
        std::free(const_cast<uint8_t*>(file->data));
    *file = FileBytes{nullptr, 0, false};
}
