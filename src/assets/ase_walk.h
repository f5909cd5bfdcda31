// The walk that reads a model file in one pass: every scan of the file, the
// one that finds where objects begin, one per material block and six per
// object, runs side by side over the text (see ase_walk.cpp).
#pragma once

#include "assets/ase_keywords.h"
#include "assets/model.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The scans of the main walk: the one that finds where objects begin, one per
// material block, and six per object (its counts and one per kind of data line).
enum ScanKind : uint8_t {
    SCAN_COUNTS,
    SCAN_MATERIAL_REF,
    SCAN_VERTEX,
    SCAN_TVERT,
    SCAN_FACE,
    SCAN_TFACE,
    SCAN_OBJECT_STARTS,
    SCAN_MATERIAL,
};
const int OBJECT_SCANS = 6;

struct Scan {
    const char* position; // at the next token (white space skipped)
    ScanKind kind;
    uint32_t target; // the material or object it fills
};

// One data line as read: the scan that read it, its index and the values
// that could be read (bit i of `read` set when value i was read). Floats for
// vertices and texture vertices, integers for faces and texture faces.
struct DataLine {
    int32_t index;
    uint8_t kind; // a ScanKind
    uint8_t read;
    union {
        float f[3];
        int32_t i[3];
    } value;
};

// The state of the walk that its steps share.
struct Walk {
    const char* end = nullptr;
    std::vector<Scan> scans;
    std::vector<tMaterialInfo>* materials = nullptr;
    // Each object as its scans find it: its counts as the file declares them
    // and its material reference, while `lines` keeps its data lines.
    std::vector<t3DObject>* objects = nullptr;
    std::vector<std::vector<DataLine>>* lines = nullptr;
    size_t lineCount = 0;  // data lines kept
    size_t lineBudget = 0; // and how many may be
    size_t work = 0;       // bytes passed by each scan, and scans looked at
    // While every scan stands at `at`, the scans' own positions are not kept.
    bool together = false;
    const char* at = nullptr;
};

// Runs the walk's scans until each has ended: at the end of the text, at its
// stop token, or (a material reference) after its one action. False when the
// work passes `budget` (bytes passed and scans looked at) or the kept lines
// pass the walk's lineBudget: a file crafted to cost more is unreadable.
bool walk(Walk& w, size_t budget);
