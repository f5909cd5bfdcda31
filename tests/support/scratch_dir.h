// A fresh folder under /tmp for tests that need a working directory of their
// own (the program reads data/ and writes error.txt relative to it), removed
// with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class ScratchDir {
  public:
    ScratchDir() {
        char pattern[] = "/tmp/letterbot-test-XXXXXX";
        if (mkdtemp(pattern))
            path = pattern;
        else
            ADD_FAILURE() << "cannot create a scratch folder";
        if (!getcwd(previous, sizeof previous))
            previous[0] = '\0';
    }
    ~ScratchDir() {
        if (previous[0] && chdir(previous) != 0)
            ADD_FAILURE() << "cannot return to " << previous;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Makes the folder the working directory until the test ends.
    bool enter() const { return chdir(path.c_str()) == 0; }

    // The whole content of a file in the folder; empty when it is missing.
    std::string read(const std::string& name) const {
        std::ifstream in(path + "/" + name, std::ios::binary);
        std::stringstream contents;
        contents << in.rdbuf();
        return contents.str();
    }

    std::string path;

  private:
    char previous[4096];
};
