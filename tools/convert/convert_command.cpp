// letterbot-assets convert: reads the model, places it, names its bitmaps after
// the output file, writes every file through temporaries and says what it
// wrote. Only files it wrote itself are ever replaced or removed: the bitmaps
// of an earlier conversion are those its model names, and a name that holds a
// person's own file, or one of the model's inputs, is passed over.
#include "convert_command.h"

#include "ase_writer.h"
#include "bmp_writer.h"
#include "import_isolation.h"
#include "model_placement.h"
#include "output_lock.h"
#include "scene_import.h"
#include "staged_files.h"
#include "stop_guard.h"

#include "assets/ase_loader.h"
#include "platform/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The reader keeps quoted values of at most this many characters.
const size_t MAX_BITMAP_PATH = 254;

// Heights beyond this are no figure for the program's scene.
const double MAX_HEIGHT = 10000.0;

// How long a conversion waits for another one that writes into the same
// folder: writing takes seconds at most.
const double LOCK_WAIT_SECONDS = 30;

// What the writer says in every model it writes, which tells a converted model
// from a person's own.
const char* const WRITER = "letterbot-assets convert";

int usage(const std::string& problem) {
    std::fprintf(stderr, "letterbot-assets: convert: %s\n", problem.c_str());
    std::fputs("usage: letterbot-assets convert MODEL OUT.ase [--height H] [--turn DEGREES]\n"
               "                                [--memory-limit MIB] [--time-limit SECONDS]\n"
               "                                [--strict] [--]\n",
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

struct Options {
    const char* model = nullptr;
    const char* out = nullptr;
    double height = ROBOT_HEIGHT;
    double turn = 0.0;
    ImportLimits limits = {DEFAULT_IMPORT_MEMORY_MIB, DEFAULT_IMPORT_SECONDS};
    bool strict = false;
};

// 0 when the arguments make sense, else the usage error's status, said.
int parseOptions(int argc, char** argv, Options* options) {
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!isOption) {
            if (!options->model)
                options->model = argv[i];
            else if (!options->out)
                options->out = argv[i];
            else
                return usage("one argument too many: '" + argument + "'");
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--strict") {
            options->strict = true;
            continue;
        }
        const bool known = argument == "--height" || argument == "--turn" ||
                           argument == "--memory-limit" || argument == "--time-limit";
        if (!known)
            return usage("no such option: '" + argument + "'");
        if (i + 1 >= argc)
            return usage(argument + " needs a value");
        const char* value = argv[++i];
        double number = 0.0;
        const bool isNumber = parseNumber(value, &number);
        char range[160];
        if (argument == "--height") {
            options->height = number;
            if (isNumber && number > 0.0 && number <= MAX_HEIGHT)
                continue;
            std::snprintf(range, sizeof range, "a number above 0 and up to %g", MAX_HEIGHT);
        } else if (argument == "--turn") {
            options->turn = number;
            if (isNumber)
                continue;
            std::snprintf(range, sizeof range, "a number of degrees");
        } else if (argument == "--memory-limit") {
            options->limits.memoryMiB = uint64_t(number);
            if (isNumber && number == std::floor(number) &&
                number >= double(MIN_IMPORT_MEMORY_MIB) && number <= double(MAX_IMPORT_MEMORY_MIB))
                continue;
            std::snprintf(range, sizeof range, "a whole number of MiB from %llu to %llu",
                          static_cast<unsigned long long>(MIN_IMPORT_MEMORY_MIB),
                          static_cast<unsigned long long>(MAX_IMPORT_MEMORY_MIB));
        } else {
            options->limits.seconds = number;
            if (isNumber && number > 0.0 && number <= MAX_IMPORT_SECONDS)
                continue;
            std::snprintf(range, sizeof range, "a number of seconds above 0 and up to %g",
                          MAX_IMPORT_SECONDS);
        }
        return usage(argument + " takes " + range + ", not '" + value + "'");
    }
    if (!options->model || !options->out)
        return usage(!options->model ? "a MODEL and an OUT.ase file are needed"
                                     : "an OUT.ase file is needed after the MODEL");
    return 0;
}

// Where OUT's bitmaps go: beside it, named after it ("data/robot.ase" gives
// "data/robot_1.bmp", ...).
struct OutputNames {
    std::string folder; // "data/", or "." for the working folder
    std::string given;  // the folder as OUT gives it: "data/", or ""
    std::string file;   // "robot.ase"
    std::string stem;   // "robot"
};

// The program reads the material's path from its working directory with
// backslashes for folders, and the reader takes a quoted value whole only
// when it holds no double quote or line end. A backslash in a name would
// become a folder, and a token that starts with '*' after a blank may be taken
// for a keyword by a reader that passes over a long line in parts.
bool outputNames(const std::string& out, OutputNames* names, std::string* reason) {
    for (char c : out)
        if (c == '\\' || c == '"' || c == '*' || static_cast<unsigned char>(c) < ' ') {
            *reason = "the output path may hold no backslash, double quote, '*' or control "
                      "character, since the program reads the bitmaps' paths from it";
            return false;
        }
    const size_t slash = out.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : out.substr(0, slash + 1);
    names->file = out.substr(folder.size());
    names->stem = names->file;
    const size_t dot = names->stem.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        names->stem.erase(dot);
    if (names->stem.empty() || names->stem == "." || names->stem == "..") {
        *reason = "the output path names no file";
        return false;
    }
    names->folder = folder.empty() ? "." : folder;
    names->given = folder;
    return true;
}

std::string bitmapName(const OutputNames& names, size_t number) {
    return names.stem + "_" + std::to_string(number) + ".bmp";
}

// A path as the program's assets write it, with backslashes: the other way
// from assetPathToLocal (platform.h).
std::string localPathToAsset(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string inFolder(const OutputNames& names, const std::string& file) {
    return (fs::path(names.folder) / file).string();
}

// The output folder must be there and take new files, and OUT must be no
// folder: a rename fails on a folder only after the files before it are in
// place. Checked before the import, which may take long.
bool outputWritable(const std::string& out, const OutputNames& names, std::string* reason) {
    std::error_code error;
    const fs::file_status folder = fs::status(names.folder, error);
    if (!fs::exists(folder)) {
        *reason = "the output folder " + names.folder + " is not there";
        return false;
    }
    if (!fs::is_directory(folder)) {
        *reason = "the output folder " + names.folder + " is not a folder";
        return false;
    }
#ifdef _WIN32
    const int writable = W_OK;
#else
    const int writable = W_OK | X_OK;
#endif
    if (access(names.folder.c_str(), writable) != 0) {
        *reason =
            "the output folder " + names.folder + " cannot be written: " + std::strerror(errno);
        return false;
    }
    if (fs::is_directory(fs::symlink_status(out, error))) {
        *reason = out + " is a folder";
        return false;
    }
    return true;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// The model and the picture files it was made from, which no output may
// replace. An embedded picture's origin names no file, and matches none.
std::vector<std::string> inputsOf(const char* model, const ImportedModel& imported) {
    std::vector<std::string> inputs = {model};
    for (const ImportedPicture& picture : imported.pictures)
        inputs.push_back(picture.origin);
    return inputs;
}

bool isInput(const std::string& path, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs)
        if (sameFile(path, input))
            return true;
    return false;
}

void noTexture(const char*, unsigned* name) {
    *name = 0;
}

// "STEM_N.bmp" for a whole number N.
bool isBitmapName(const OutputNames& names, const std::string& file) {
    const std::string head = names.stem + "_", tail = ".bmp";
    if (file.size() <= head.size() + tail.size() || file.compare(0, head.size(), head) != 0 ||
        file.compare(file.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    for (size_t i = head.size(); i < file.size() - tail.size(); ++i)
        if (file[i] < '0' || file[i] > '9')
            return false;
    return true;
}

// The bitmaps of an earlier conversion into OUT: those its model names that
// are named as this converter names them and stand beside it. A model at OUT
// that this converter did not write names only a person's own files. Its
// materials come before its objects, so only they are read.
std::set<std::string> earlierBitmaps(const std::string& out, const OutputNames& names) {
    std::set<std::string> bitmaps;
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(out, error)))
        return bitmaps;
    FileBytes file;
    if (readFileBytes(out.c_str(), &file) != FILE_BYTES_OK)
        return bitmaps;
    const std::string text(reinterpret_cast<const char*>(file.data), file.size);
    releaseFileBytes(&file);
    const std::string mark = "\n*COMMENT \"" + std::string(WRITER) + "\"\n";
    const size_t objects = text.find("\n*GEOMOBJECT");
    if (text.compare(0, 19, "*3DSMAX_ASCIIEXPORT") != 0 || text.find(mark) > 64)
        return bitmaps;
    AseLoader reader(noTexture);
    tModel model;
    if (!reader.loadFromMemory(&model, text.data(),
                               objects == std::string::npos ? text.size() : objects))
        return bitmaps;
    for (const tMaterialInfo& material : model.materials) {
        const std::string path = material.textureFile;
        const std::string file = path.substr(path.find_last_of("/\\") + 1);
        if (isBitmapName(names, file) &&
            fs::is_regular_file(fs::symlink_status(inFolder(names, file), error)))
            bitmaps.insert(file);
    }
    return bitmaps;
}

// A name for each picture, the lowest numbers first, passing over what may not
// be replaced: a file that no earlier conversion wrote, and the model's inputs.
bool chooseBitmapNames(const OutputNames& names, size_t count, const std::set<std::string>& earlier,
                       const std::vector<std::string>& inputs, std::vector<std::string>* chosen,
                       std::string* reason) {
    const size_t mostTries = count + 100000;
    for (size_t number = 1; chosen->size() < count; ++number) {
        if (number > mostTries) {
            *reason = "the folder holds too many files of the bitmaps' names";
            return false;
        }
        const std::string file = bitmapName(names, number);
        const std::string path = inFolder(names, file);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        const bool taken = fs::exists(status) || status.type() == fs::file_type::none;
        if ((taken && !earlier.count(file)) || isInput(path, inputs))
            continue;
        if (localPathToAsset(names.given + file).size() > MAX_BITMAP_PATH) {
            *reason = "the bitmaps' paths would be longer than the " +
                      std::to_string(MAX_BITMAP_PATH) + " characters the program reads";
            return false;
        }
        chosen->push_back(file);
    }
    return true;
}

std::string plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void printSummary(const std::string& out, const ImportedModel& imported, const OutputNames& names,
                  const std::vector<std::string>& bitmaps, const Placement& placement,
                  double height, const std::vector<std::string>& warnings) {
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
        std::printf("%s%s: %s, texture of material %s, from %s\n", names.given.c_str(),
                    bitmaps[p].c_str(), size.c_str(), materials.c_str(),
                    imported.pictures[p].origin.c_str());
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
                placement.turnDegrees + 0.0, scaling, m.x + 0.0, m.y + 0.0, m.z + 0.0, low.x + 0.0,
                high.x + 0.0, low.y + 0.0, high.y + 0.0, low.z + 0.0, high.z + 0.0);
    for (const std::string& warning : warnings)
        std::printf("warning: %s\n", warning.c_str());
}

// Under the folder's lock: an earlier swap finished, the names chosen, the
// files written and put in place.
bool writeOutput(const Options& options, const OutputNames& names, const ImportedModel& imported,
                 std::vector<std::string>* bitmaps, std::string* reason) {
    if (!recoverFolder(names.folder, reason))
        return false;
    const std::vector<std::string> inputs = inputsOf(options.model, imported);
    if (isInput(options.out, inputs)) {
        *reason = "the output would replace one of the model's own files";
        return false;
    }
    const std::set<std::string> earlier = earlierBitmaps(options.out, names);
    if (!chooseBitmapNames(names, imported.pictures.size(), earlier, inputs, bitmaps, reason))
        return false;
    Model model = imported.model;
    for (size_t m = 0; m < model.materials.size(); ++m) {
        const int picture = imported.materialPicture[m];
        if (picture >= 0)
            model.materials[m].bitmap = localPathToAsset(names.given + (*bitmaps)[size_t(picture)]);
    }

    // The model last: until it is in place, an earlier model goes on naming
    // the bitmaps it had, and it is the last to be put back on a failure.
    StagedFiles staged;
    staged.folder = names.folder;
    for (const std::string& file : earlier)
        if (std::find(bitmaps->begin(), bitmaps->end(), file) == bitmaps->end() &&
            !isInput(inFolder(names, file), inputs))
            staged.removals.push_back(file);
    bool ok = true;
    for (size_t p = 0; ok && p < imported.pictures.size(); ++p) {
        const std::vector<uint8_t> bytes = bmpBytes(imported.pictures[p].picture.image);
        ok = stageFile(&staged, (*bitmaps)[p], std::string(bytes.begin(), bytes.end()), reason);
    }
    ok = ok && stageFile(&staged, names.file, aseText(model, WRITER), reason);
    ok = ok && commitFiles(&staged, reason);
    if (!ok)
        discardFiles(&staged);
    return ok;
}

} // namespace

int convertCommand(int argc, char** argv) {
    Options options;
    if (const int status = parseOptions(argc, argv, &options))
        return status;
    const char* model = options.model;
    std::string reason;
    OutputNames names;
    if (!outputNames(options.out, &names, &reason) || !outputWritable(options.out, names, &reason))
        return refuse(model, reason);
    if (sameFile(model, options.out))
        return refuse(model, "the output would replace the model itself");

    ImportedModel imported;
    if (!importIsolated(model, options.limits, &imported, &reason))
        return refuse(model, reason);
    Placement placement;
    if (!placeModel(&imported.model, options.height, options.turn, &placement, &reason))
        return refuse(model, reason);
    std::vector<std::string> warnings = imported.warnings;
    if (placement.flat)
        warnings.push_back("it is flat, with no height to scale: its widest side is made as "
                           "long as the figure is tall");
    if (options.strict && !warnings.empty())
        return refuse(model, warnings.front() + " (--strict)");

    OutputLock lock;
    if (!lockOutputFolder(names.folder, LOCK_WAIT_SECONDS, &lock, &reason))
        return refuse(model, reason);
    beginGuardedWrites();
    std::vector<std::string> bitmaps;
    const bool written = writeOutput(options, names, imported, &bitmaps, &reason);
    endGuardedWrites();
    unlockOutputFolder(&lock);
    if (!written)
        return refuse(model, reason);
    for (const std::string& warning : warnings)
        std::fprintf(stderr, "letterbot-assets: warning: %s: %s\n", model, warning.c_str());
    printSummary(options.out, imported, names, bitmaps, placement, options.height, warnings);
    return 0;
}
