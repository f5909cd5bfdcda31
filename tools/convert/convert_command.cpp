// letterbot-assets convert: reads the model, places it, names its bitmaps after
// the output file, writes every file through temporaries and says what it
// wrote.
#include "convert_command.h"

#include "ase_writer.h"
#include "bmp_writer.h"
#include "import_isolation.h"
#include "model_placement.h"
#include "scene_import.h"
#include "staged_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The reader keeps quoted values of at most this many characters.
const size_t MAX_BITMAP_PATH = 254;

// Heights beyond this are no figure for the program's scene.
const double MAX_HEIGHT = 10000.0;

int usage() {
    std::fputs("usage: letterbot-assets convert MODEL OUT.ase [--height H] [--turn DEGREES]\n"
               "                                [--memory-limit MIB] [--time-limit SECONDS]\n"
               "                                [--strict]\n",
               stderr);
    return 2;
}

// One line, whatever the importer's reason holds.
int refuse(const char* model, std::string reason) {
    for (char& c : reason)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "letterbot-assets: cannot convert %s: %s\n", model, reason.c_str());
    return 1;
}

bool parseNumber(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(*value);
}

// Where OUT's bitmaps go: beside it, named after it ("data/robot.ase" gives
// "data/robot_1.bmp", ...).
struct BitmapNaming {
    std::string prefix; // "data/robot_"
};

// The program reads the material's path from its working directory with
// backslashes for folders, and the reader takes a quoted value whole only
// when it holds no double quote or line end. A backslash in a name would
// become a folder, and a token that starts with '*' after a blank may be taken
// for a keyword by a reader that passes over a long line in parts.
bool namingFor(const std::string& out, BitmapNaming* naming, std::string* reason) {
    for (char c : out)
        if (c == '\\' || c == '"' || c == '*' || static_cast<unsigned char>(c) < ' ') {
            *reason = "the output path may hold no backslash, double quote, '*' or control "
                      "character, since the program reads the bitmaps' paths from it";
            return false;
        }
    const size_t slash = out.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : out.substr(0, slash + 1);
    std::string stem = out.substr(folder.size());
    const size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        stem.erase(dot);
    if (stem.empty() || stem == "." || stem == "..") {
        *reason = "the output path names no file";
        return false;
    }
    naming->prefix = folder + stem + "_";
    return true;
}

std::string bitmapFile(const BitmapNaming& naming, size_t number) {
    return naming.prefix + std::to_string(number) + ".bmp";
}

std::string programPath(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// Bitmaps named for OUT beyond the `count` this conversion wrote belong to an
// earlier one with more textures, which nothing names any more.
void removeStaleBitmaps(const BitmapNaming& naming, size_t count) {
    for (size_t number = count + 1;; ++number) {
        std::error_code error;
        const std::string name = bitmapFile(naming, number);
        if (!fs::is_regular_file(fs::symlink_status(name, error)) || !fs::remove(name, error))
            return;
    }
}

std::string plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void printSummary(const std::string& out, const ImportedModel& imported, const BitmapNaming& naming,
                  const Placement& placement, double height,
                  const std::vector<std::string>& warnings) {
    size_t triangles = 0;
    for (const MeshObject& object : imported.model.objects)
        triangles += object.mesh.faces.size();
    std::printf("%s: %s, %s, %s, %s\n", out.c_str(),
                plural(imported.model.objects.size(), "object", "objects").c_str(),
                plural(triangles, "triangle", "triangles").c_str(),
                plural(imported.model.materials.size(), "material", "materials").c_str(),
                plural(imported.pictures.size(), "texture", "textures").c_str());
    for (size_t p = 0; p < imported.pictures.size(); ++p) {
        const Picture& picture = imported.pictures[p].picture;
        std::string materials;
        for (size_t m = 0; m < imported.materialPicture.size(); ++m)
            if (imported.materialPicture[m] == int(p))
                materials +=
                    (materials.empty() ? "\"" : ", \"") + imported.model.materials[m].name + "\"";
        std::string size =
            std::to_string(picture.image.width) + " x " + std::to_string(picture.image.height);
        if (picture.image.width != picture.sourceWidth ||
            picture.image.height != picture.sourceHeight)
            size += " (scaled down from " + std::to_string(picture.sourceWidth) + " x " +
                    std::to_string(picture.sourceHeight) + ")";
        std::printf("%s: %s, texture of material %s, from %s\n", bitmapFile(naming, p + 1).c_str(),
                    size.c_str(), materials.c_str(), imported.pictures[p].origin.c_str());
    }
    // Four decimals, as the file holds them; adding 0 writes -0 as 0.
    const Vec3& m = placement.move;
    const Vec3 &low = placement.low, &high = placement.high;
    const Vec3 &sourceLow = placement.sourceLow, &sourceHigh = placement.sourceHigh;
    char scaling[160];
    if (placement.flat)
        std::snprintf(scaling, sizeof scaling,
                      "scaled by %.6g so that its widest side, %.6g, is %g units", placement.scale,
                      std::max(sourceHigh.x - sourceLow.x, sourceHigh.z - sourceLow.z), height);
    else
        std::snprintf(scaling, sizeof scaling, "scaled by %.6g from %.6g to %g units tall",
                      placement.scale, sourceHigh.y - sourceLow.y, height);
    std::printf("placed: turned by %g degrees, %s, moved by (%.4f, %.4f, %.4f); it spans x %.4f "
                "to %.4f, y %.4f to %.4f, z %.4f to %.4f\n",
                placement.turnDegrees + 0.0, scaling, m.x + 0.0, m.y + 0.0, m.z + 0.0,
                low.x + 0.0, high.x + 0.0, low.y + 0.0, high.y + 0.0, low.z + 0.0, high.z + 0.0);
    for (const std::string& warning : warnings)
        std::printf("warning: %s\n", warning.c_str());
}

} // namespace

int convertCommand(int argc, char** argv) {
    const char* model = nullptr;
    const char* out = nullptr;
    double height = ROBOT_HEIGHT, turn = 0.0, memory = double(DEFAULT_IMPORT_MEMORY_MIB);
    ImportLimits limits = {DEFAULT_IMPORT_MEMORY_MIB, DEFAULT_IMPORT_SECONDS};
    bool strict = false;
    for (int i = 0; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--height") == 0 && hasValue) {
            if (!parseNumber(argv[++i], &height) || !(height > 0.0) || height > MAX_HEIGHT) {
                std::fprintf(stderr,
                             "letterbot-assets: --height takes a number above 0 and up to "
                             "%g\n",
                             MAX_HEIGHT);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--turn") == 0 && hasValue) {
            if (!parseNumber(argv[++i], &turn)) {
                std::fputs("letterbot-assets: --turn takes a number of degrees\n", stderr);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--memory-limit") == 0 && hasValue) {
            if (!parseNumber(argv[++i], &memory) || memory != std::floor(memory) ||
                memory < double(MIN_IMPORT_MEMORY_MIB) || memory > double(MAX_IMPORT_MEMORY_MIB)) {
                std::fprintf(stderr,
                             "letterbot-assets: --memory-limit takes a whole number of MiB from "
                             "%llu to %llu\n",
                             static_cast<unsigned long long>(MIN_IMPORT_MEMORY_MIB),
                             static_cast<unsigned long long>(MAX_IMPORT_MEMORY_MIB));
                return 2;
            }
            limits.memoryMiB = uint64_t(memory);
        } else if (std::strcmp(argv[i], "--time-limit") == 0 && hasValue) {
            if (!parseNumber(argv[++i], &limits.seconds) || !(limits.seconds > 0.0) ||
                limits.seconds > MAX_IMPORT_SECONDS) {
                std::fprintf(stderr,
                             "letterbot-assets: --time-limit takes a number of seconds above 0 "
                             "and up to %g\n",
                             MAX_IMPORT_SECONDS);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--strict") == 0) {
            strict = true;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return usage();
        } else if (!model) {
            model = argv[i];
        } else if (!out) {
            out = argv[i];
        } else {
            return usage();
        }
    }
    if (!model || !out)
        return usage();

    std::string reason;
    BitmapNaming naming;
    if (!namingFor(out, &naming, &reason))
        return refuse(model, reason);
    ImportedModel imported;
    if (!importIsolated(model, limits, &imported, &reason))
        return refuse(model, reason);
    for (size_t p = 0; p < imported.pictures.size(); ++p)
        if (programPath(bitmapFile(naming, p + 1)).size() > MAX_BITMAP_PATH)
            return refuse(model, "the bitmaps' paths would be longer than the " +
                                     std::to_string(MAX_BITMAP_PATH) +
                                     " characters the program reads");
    for (size_t m = 0; m < imported.model.materials.size(); ++m) {
        const int picture = imported.materialPicture[m];
        if (picture >= 0)
            imported.model.materials[m].bitmap =
                programPath(bitmapFile(naming, size_t(picture) + 1));
    }
    Placement placement;
    if (!placeModel(&imported.model, height, turn, &placement, &reason))
        return refuse(model, reason);
    std::vector<std::string> warnings = imported.warnings;
    if (placement.flat)
        warnings.push_back("it is flat, with no height to scale: its widest side is made as "
                           "long as the figure is tall");
    if (strict && !warnings.empty())
        return refuse(model, warnings.front() + " (--strict)");

    // A rename fails on a folder, and only after the files before it are in
    // place: such targets are refused before anything is written.
    std::vector<std::string> targets;
    for (size_t p = 0; p < imported.pictures.size(); ++p)
        targets.push_back(bitmapFile(naming, p + 1));
    targets.push_back(out);
    for (const std::string& target : targets) {
        std::error_code error;
        if (fs::is_directory(fs::symlink_status(target, error)))
            return refuse(model, target + " is a folder");
    }

    // The model last: until it is in place, an earlier model goes on naming
    // the bitmaps it had, and it is the last to be put back on a failure.
    StagedFiles staged;
    bool ok = true;
    for (size_t p = 0; ok && p < imported.pictures.size(); ++p) {
        const std::vector<uint8_t> bytes = bmpBytes(imported.pictures[p].picture.image);
        ok = stageFile(&staged, bitmapFile(naming, p + 1), std::string(bytes.begin(), bytes.end()),
                       &reason);
    }
    ok =
        ok && stageFile(&staged, out, aseText(imported.model, "letterbot-assets convert"), &reason);
    ok = ok && commitFiles(&staged, &reason);
    if (!ok) {
        discardFiles(&staged);
        return refuse(model, reason);
    }
    removeStaleBitmaps(naming, imported.pictures.size());
    for (const std::string& warning : warnings)
        std::fprintf(stderr, "letterbot-assets: warning: %s: %s\n", model, warning.c_str());
    printSummary(out, imported, naming, placement, height, warnings);
    return 0;
}
