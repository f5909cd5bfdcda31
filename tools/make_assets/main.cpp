// make_assets: writes letterbot's model and texture files into a directory.
// The output is the same byte for byte on every run, so the files in data/ can
// be checked against a fresh run.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ase_writer.h"
#include "bmp_writer.h"
#include "letter_shapes.h"
#include "robot_shape.h"
#include "textures.h"

static bool writeFile(const std::string& path, const void* bytes, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "make_assets: cannot create %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes, 1, size, file) == size;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "make_assets: cannot write %s\n", path.c_str());
    }
    return ok;
}

static bool writeModel(const std::string& directory, const std::string& name, const Model& model) {
    std::string text = aseText(model);
    size_t triangles = 0;
    for (const MeshObject& object : model.objects) {
        triangles += object.mesh.faces.size();
    }
    std::printf("%-22s %8zu bytes %6zu triangles\n", name.c_str(), text.size(), triangles);
    return writeFile(directory + "/" + name, text.data(), text.size());
}

static bool writeBitmap(const std::string& directory, const std::string& name,
                        const std::vector<uint8_t>& bytes, int width, int height) {
    std::printf("%-22s %8zu bytes %dx%d\n", name.c_str(), bytes.size(), width, height);
    return writeFile(directory + "/" + name, bytes.data(), bytes.size());
}

static bool writeImage(const std::string& directory, const std::string& name, const Image& image) {
    return writeBitmap(directory, name, bmpBytes(image), image.width, image.height);
}

static bool writeImage(const std::string& directory, const std::string& name,
                       const PaletteImage& image) {
    return writeBitmap(directory, name, rle8BmpBytes(image), image.width, image.height);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets <output directory>\n");
        return 2;
    }
    const std::string directory = argv[1];
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        std::fprintf(stderr, "make_assets: cannot create directory %s: %s\n", directory.c_str(),
                     error.message().c_str());
        return 1;
    }

    bool ok = writeModel(directory, "robot.ase", makeRobot());
    for (char letter : std::string("DOMUSKNTY")) {
        Model model;
        makeLetter(letter, model);
        ok = writeModel(directory, std::string(1, letter) + ".ase", model) && ok;
    }
    ok = writeImage(directory, "textura_okna1.bmp", makeWallTexture()) && ok;
    ok = writeImage(directory, "textura_strecha.bmp", makeRoofTexture()) && ok;
    ok = writeImage(directory, PANEL_TEXTURE_FILE, makePanelTexture()) && ok;
    return ok ? 0 : 1;
}
