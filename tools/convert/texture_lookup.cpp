// The places a texture reference may mean, tried in a fixed order.
#include "texture_lookup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

static bool isReadableFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return false;
    std::ifstream probe(path, std::ios::binary);
    return bool(probe);
}

static std::string lowerCase(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The path itself, or a file in its folder whose name differs only in case.
static std::string existingFile(const fs::path& path) {
    if (isReadableFile(path))
        return path.string();
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string wanted = lowerCase(path.filename().string());
    if (wanted.empty())
        return "";
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error)
        return "";
    // The folder is listed in no particular order: take the first name in
    // byte order, so that the choice does not depend on the file system.
    std::vector<std::string> matches;
    for (const fs::directory_entry& entry : entries)
        if (lowerCase(entry.path().filename().string()) == wanted)
            matches.push_back(entry.path().filename().string());
    std::sort(matches.begin(), matches.end());
    for (const std::string& name : matches)
        if (isReadableFile(folder / name))
            return (folder / name).string();
    return "";
}

static int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %XX escapes as URIs write them; a stray % stays as it is.
static std::string percentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Whether a path may lead out of the folder it is taken in.
static bool leavesFolder(const fs::path& path) {
    if (path.is_absolute() || path.has_root_name() || path.has_root_directory())
        return true;
    for (const fs::path& part : path)
        if (part == "..")
            return true;
    return false;
}

// Whether `found` is inside `folder` once links are followed: a link beside a
// downloaded model must not lead the converter to a picture elsewhere.
static bool insideFolder(const std::string& found, const fs::path& folder) {
    std::error_code error;
    const fs::path file = fs::canonical(found, error);
    const fs::path base = fs::canonical(folder, error);
    if (error)
        return false;
    const auto mismatch = std::mismatch(base.begin(), base.end(), file.begin(), file.end());
    return mismatch.first == base.end();
}

std::string findTextureFile(const std::string& reference, const std::string& modelFolder) {
    std::string name = reference;
    for (char& c : name)
        if (c == '\\')
            c = '/';
    if (name.rfind("file://", 0) == 0)
        name.erase(0, 7);
    else if (name.rfind("//", 0) == 0)
        name.erase(0, 2);
    if (name.empty())
        return "";

    std::vector<fs::path> spellings = {fs::path(name)};
    const std::string decoded = percentDecoded(name);
    if (decoded != name)
        spellings.push_back(fs::path(decoded));
    bool outside = false;
    for (const fs::path& spelling : spellings)
        outside = outside || leavesFolder(spelling);

    const fs::path beside = modelFolder.empty() ? fs::path(".") : fs::path(modelFolder);
    for (const fs::path& spelling : spellings) {
        std::string found = outside ? "" : existingFile(beside / spelling);
        if (found.empty() && spelling.has_filename() && spelling.filename() != "..")
            found = existingFile(beside / spelling.filename());
        if (!found.empty() && insideFolder(found, beside))
            return found;
    }
    return "";
}
