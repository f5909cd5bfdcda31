// The whole of an asset file, read-only, for the decoders to walk in memory.
// Each platform file provides readFileBytes and releaseFileBytes; readToEnd
// is shared by them.
#pragma once

#include <cstddef>
#include <cstdint>

struct FileBytes {
    const uint8_t* data; // null when empty
    size_t size;
    bool mapped; // mapped read-only; otherwise a malloc block
};

enum FileBytesResult {
    FILE_BYTES_OK,
    FILE_BYTES_UNOPENABLE, // missing, not permitted, or a directory
    FILE_BYTES_UNREADABLE, // opened, but reading failed or memory ran out
};

// On the desktop a regular file is mapped (copying a large model into fresh
// memory costs more than decoding it); anything else, such as a pipe, is read
// to its end. The mapping is private and read-only: the program reads its
// assets once, at start-up, and nothing else is expected to shorten them
// meanwhile. The browser's files are in memory already and are read.
FileBytesResult readFileBytes(const char* path, FileBytes* file);

void releaseFileBytes(FileBytes* file);

// For the platform files: reads a stream of unknown length to its end into one
// growing malloc block, starting with room for `capacity` bytes. `readSome`
// reads at most `size` bytes of `source` into `buffer` and returns how many,
// 0 at the end, or a negative number on an error.
typedef ptrdiff_t (*ReadSomeFunction)(void* source, uint8_t* buffer, size_t size);
bool readToEnd(ReadSomeFunction readSome, void* source, size_t capacity, FileBytes* file);
