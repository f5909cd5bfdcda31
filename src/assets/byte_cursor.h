// A bounds-checked reader over a byte buffer, shared by the asset decoders.
// A read past the end yields 0 and sets `failed`, which stays set: a decoder
// reads a whole header and then checks the flag once.
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteCursor {
    const uint8_t* begin;
    const uint8_t* position;
    const uint8_t* end;
    bool failed;
};

inline ByteCursor makeByteCursor(const uint8_t* data, size_t size) {
    return ByteCursor{data, data, data + size, false};
}

inline size_t cursorOffset(const ByteCursor& c) {
    return size_t(c.position - c.begin);
}

inline size_t cursorRemaining(const ByteCursor& c) {
    return size_t(c.end - c.position);
}

// True when `count` more bytes can be read; sets `failed` otherwise.
inline bool cursorHas(ByteCursor& c, size_t count) {
    if (cursorRemaining(c) < count) {
        c.failed = true;
        return false;
    }
    return true;
}

inline uint8_t readU8(ByteCursor& c) {
    if (!cursorHas(c, 1))
        return 0;
    return *c.position++;
}

inline uint16_t readU16(ByteCursor& c) {
    if (!cursorHas(c, 2))
        return 0;
    const uint8_t* p = c.position;
    c.position += 2;
    return uint16_t(p[0] | (p[1] << 8));
}

inline uint32_t readU32(ByteCursor& c) {
    if (!cursorHas(c, 4))
        return 0;
    const uint8_t* p = c.position;
    c.position += 4;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline int32_t readI32(ByteCursor& c) {
    return int32_t(readU32(c));
}

// A skip past the end leaves the cursor at the end.
inline void cursorSkip(ByteCursor& c, size_t count) {
    if (!cursorHas(c, count)) {
        c.position = c.end;
        return;
    }
    c.position += count;
}

// Moves to an offset from the start of the buffer; an offset past the end
// leaves the cursor at the end and fails.
inline void cursorSeek(ByteCursor& c, size_t offset) {
    if (offset > size_t(c.end - c.begin)) {
        c.failed = true;
        c.position = c.end;
        return;
    }
    c.position = c.begin + offset;
}
