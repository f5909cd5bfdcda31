// A recording GL and GLU for unit tests: every call the library makes is kept,
// in order, with its numeric arguments (arrays passed by pointer are copied).
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <string>
#include <vector>

struct GlCall {
    std::string name;
    std::vector<double> args;
};

namespace fakegl {

extern std::vector<GlCall> calls;

// Forgets the recorded calls and restarts texture names at 1.
void reset();

std::vector<GlCall> named(const std::string& name);
size_t count(const std::string& name);

// Index of the first call with this name at or after `from`, or calls.size().
size_t find(const std::string& name, size_t from = 0);

} // namespace fakegl
