// letterbot-assets check [DIR]: reads every file the program reads at start-up,
// and every bitmap their materials name, with the program's own readers, and
// says in one line per file what it found or what is wrong.
#include "commands.h"

#include "platform/platform.h"
#include "assets/ase_loader.h"
#include "assets/bmp_reader.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// The models and bitmaps the scene names, in the order it reads them. Letters
// that serve two blocks (U, S) are checked once.
const char* const MODEL_FILES[] = {"robot.ase", "D.ase", "O.ase", "M.ase", "U.ase",
                                   "S.ase",     "K.ase", "N.ase", "T.ase", "Y.ase"};
const char* const BITMAP_FILES[] = {"textura_okna1.bmp", "textura_strecha.bmp"};

int problems = 0;

void report(bool ok, const std::string& path, const std::string& what) {
    std::printf("%-4s %s: %s\n", ok ? "ok" : "FAIL", path.c_str(), what.c_str());
    if (!ok)
        ++problems;
}

void checkBitmap(const std::string& path, const std::string& usedBy) {
    std::ifstream in(path, std::ios::binary);
    const std::string suffix = usedBy.empty() ? "" : " (" + usedBy + ")";
    if (!in) {
        report(false, path,
               "missing or unreadable" + suffix + "; the program would end with status 3");
        return;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    BitmapFailure failure = BITMAP_OK;
    BitmapFacts facts = {};
    ImageRGB* image = decodeBitmap(bytes.data(), bytes.size(), &failure, &facts);
    if (!image) {
        report(false, path, std::string(bitmapFailureMessage(failure)) + suffix);
        return;
    }
    char what[160];
    std::snprintf(what, sizeof what, "bitmap %d x %d, %u bits per pixel%s", image->width,
                  image->height, facts.bitsPerPixel, suffix.c_str());
    report(true, path, what);
    freeImage(image);
}

// The reader hands every material's image to the texture loader; the tool has
// no GL context, so it only collects the names.
std::vector<std::string> namedImages;
void collectImage(const char* path, unsigned*) {
    namedImages.push_back(path);
}

void checkModel(const std::string& dir, const char* name, std::set<std::string>* images) {
    const std::string path = dir + "/" + name;
    tModel model;
    namedImages.clear();
    AseLoader loader(collectImage);
    if (!loader.load(&model, path.c_str())) {
        report(false, path, "missing or unreadable; the figure would be invisible");
        return;
    }
    int triangles = 0;
    bool finite = true;
    for (const t3DObject& object : model.objects) {
        triangles += static_cast<int>(object.faces.size());
        for (const tVector3& v : object.vertices)
            finite = finite && std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    }
    char what[160];
    std::snprintf(what, sizeof what, "%d objects, %d triangles, %d materials, %zu textures",
                  model.objectCount, triangles, model.materialCount, namedImages.size());
    if (model.objectCount == 0 || triangles == 0)
        report(false, path, std::string(what) + "; nothing would be drawn");
    else if (!finite)
        report(false, path, std::string(what) + "; some positions are not numbers");
    else
        report(true, path, what);
    for (const std::string& image : namedImages)
        images->insert(image + "\t" + path);
}

// Images are named relative to the program's working directory, the folder
// that holds DIR.
std::string workingDirectoryOf(const std::string& dir) {
    const size_t slash = dir.find_last_of('/');
    return slash == std::string::npos ? "." : dir.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

int checkCommand(int argc, char** argv) {
    if (argc > 1) {
        std::fputs("usage: letterbot-assets check [DIR]\n", stderr);
        return 2;
    }
    std::string dir = argc == 1 ? argv[0] : "data";
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();

    std::set<std::string> images;
    for (const char* name : MODEL_FILES)
        checkModel(dir, name, &images);
    for (const char* name : BITMAP_FILES)
        checkBitmap(dir + "/" + name, "");
    const std::string base = workingDirectoryOf(dir);
    for (const std::string& entry : images) {
        const size_t tab = entry.find('\t');
        const std::string image = assetPathToLocal(entry.substr(0, tab).c_str());
        const std::string path = image[0] == '/' ? image : base + "/" + image;
        checkBitmap(path, "texture of " + entry.substr(tab + 1));
    }

    std::printf("%d problem%s\n", problems, problems == 1 ? "" : "s");
    return problems == 0 ? 0 : 1;
}
