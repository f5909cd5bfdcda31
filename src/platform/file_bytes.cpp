// Reading an asset file whole: what the platforms share, for the streams that
// cannot be mapped.
#include "platform/file_bytes.h"

#include <cstdlib>

bool readToEnd(ReadSomeFunction readSome, void* source, size_t capacity, FileBytes* file) {
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
        const ptrdiff_t got = readSome(source, buffer + filled, capacity - filled);
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
