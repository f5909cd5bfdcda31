// The BMP Suite files in tests/data/bmpsuite, for the tests that run every one
// of them through the bitmap reader.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

const std::string BMP_SUITE = std::string(LETTERBOT_TEST_DATA_DIR) + "/bmpsuite";

// Names relative to BMP_SUITE ("g/pal8.bmp"), good files first, then the
// questionable and the bad ones, each folder in name order.
inline std::vector<std::string> bmpSuiteFiles() {
    std::vector<std::string> files;
    for (const char* folder : {"g", "q", "b"}) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(BMP_SUITE + "/" + folder, error))
            if (entry.path().extension() == ".bmp")
                names.push_back(std::string(folder) + "/" + entry.path().filename().string());
        std::sort(names.begin(), names.end());
        files.insert(files.end(), names.begin(), names.end());
    }
    return files;
}

inline std::vector<uint8_t> readBinaryFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
