// The reader's peak heap on files that declare, or hold, what costs it most:
// at most 20 times the file's size plus 1 MiB, whatever the file. The program
// counts every allocation through its own operator new.
#include "assets/ase_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

size_t heapNow = 0;
size_t heapPeak = 0;

// Each block carries its size in front, at the alignment new must keep.
const size_t HEADER = 16;

} // namespace

void* operator new(size_t size) {
    char* block = static_cast<char*>(std::malloc(HEADER + size));
    if (!block)
        std::abort();
    *reinterpret_cast<size_t*>(block) = size;
    heapNow += size;
    if (heapNow > heapPeak)
        heapPeak = heapNow;
    return block + HEADER;
}

void operator delete(void* p) noexcept {
    if (!p)
        return;
    char* block = static_cast<char*>(p) - HEADER;
    heapNow -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}

void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}

namespace {

std::string repeated(const std::string& piece, size_t size) {
    std::string text;
    while (text.size() + piece.size() <= size)
        text += piece;
    return text;
}

TEST(AseMemory, PeakIsBoundedByTheFilesSize) {
    const size_t size = 2000000;
    // The largest object counts that the file's size lets it declare, with a
    // material count that the file cannot back and one just inside what the
    // reader keeps without material blocks.
    const std::string objectCounts = "*GEOMOBJECT\n*MESH_NUMVERTEX " + std::to_string(size / 13) +
                                     "\n*MESH_NUMFACES " + std::to_string(size / 11) +
                                     "\n*MESH_NUMTVERTEX " + std::to_string(size / 12) + "\n";
    const std::string counts = "*MATERIAL_COUNT " + std::to_string(size / 10) + "\n" + objectCounts;
    const std::string keptCounts =
        "*MATERIAL_COUNT " + std::to_string(1024 + size / 256) + "\n" + objectCounts;
    const std::string hiddenStart =
        "*MESH_VERTEX 0 1 2 3 y" + std::string(89, ' ') + "*GEOMOBJECT\n";
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        {"counts, then blanks", counts + std::string(size, ' ')},
        {"kept counts, then empty objects", keptCounts + repeated("*GEOMOBJECT\n", size)},
        {"kept counts, then vertex lines", keptCounts + repeated("*MESH_VERTEX 0\n", size)},
        {"material blocks",
         "*MATERIAL_COUNT " + std::to_string(size / 10) + "\n" + repeated("*MATERIAL\n", size)},
        {"hidden object starts, then vertex lines",
         "*GEOMOBJECT\n" + repeated(hiddenStart, 40 * hiddenStart.size()) +
             repeated("*MESH_VERTEX\n", size)},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        AseLoader loader;
        loader.textureLoader = nullptr;
        tModel model;
        const size_t before = heapNow;
        heapPeak = heapNow;
        loader.loadFromMemory(&model, file.text.data(), file.text.size());
        const size_t peak = heapPeak - before;
        std::printf("%-40s %9zu bytes, peak heap %10zu bytes: %5.2f times\n", file.name,
                    file.text.size(), peak, double(peak) / double(file.text.size()));
        EXPECT_LE(peak, 20 * file.text.size() + (size_t(1) << 20));
    }
}

} // namespace
