// libFuzzer entry point for the converter as a whole. The first byte picks the
// format, the rest is the model file: it is imported from memory, placed,
// written as .ase text with its pictures as bitmaps, and read back by the
// program's own readers, which must find every object, triangle and pixel
// that was written. Faults inside assimp are expected (the converter runs it
// apart, in a child process); run with -fork=N -ignore_crashes=1 to go on past
// them, and tell them from faults in our code by their stacks.
#include "ase_writer.h"
#include "bmp_writer.h"
#include "model_placement.h"
#include "scene_import.h"

#include "assets/ase_loader.h"
#include "assets/bmp_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The formats the converter documents, by the extension assimp is told.
const char* const EXTENSIONS[] = {"glb", "gltf", "obj", "fbx", "dae",
                                  "3ds", "ase",  "ply", "stl", "blend"};

void noTexture(const char*, unsigned* name) {
    *name = 0;
}

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "convert_fuzz: %s\n", what);
    std::abort();
}

void checkBitmap(const Image& image) {
    const std::vector<uint8_t> bytes = bmpBytes(image);
    BitmapFailure failure = BITMAP_OK;
    ImageRGB* read = decodeBitmap(bytes.data(), bytes.size(), &failure);
    if (!read)
        fault("a written bitmap does not decode");
    const bool same = read->width == image.width && read->height == image.height &&
                      std::memcmp(read->pixels, image.rgb.data(), image.rgb.size()) == 0;
    freeImage(read);
    if (!same)
        fault("a written bitmap decodes to other pixels");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const char* extension = EXTENSIONS[data[0] % (sizeof EXTENSIONS / sizeof *EXTENSIONS)];
    ImportedModel imported;
    std::string reason;
    if (!importModelFromMemory(data + 1, size - 1, extension, &imported, &reason)) {
        if (reason.empty())
            fault("a refusal without a reason");
        return 0;
    }
    for (size_t m = 0; m < imported.model.materials.size(); ++m)
        if (imported.materialPicture[m] >= 0)
            imported.model.materials[m].bitmap =
                "data\\robot_" + std::to_string(imported.materialPicture[m] + 1) + ".bmp";
    Placement placement;
    if (!placeModel(&imported.model, ROBOT_HEIGHT, 0.0, &placement, &reason))
        return 0;
    for (const ImportedPicture& picture : imported.pictures)
        checkBitmap(picture.picture.image);

    const std::string text = aseText(imported.model, "convert_fuzz");
    AseLoader loader;
    loader.textureLoader = noTexture;
    tModel model;
    if (!loader.loadFromMemory(&model, text.data(), text.size()))
        fault("the reader refuses a written model");
    const std::vector<MeshObject>& objects = imported.model.objects;
    if (model.objects.size() != objects.size() ||
        model.materials.size() != imported.model.materials.size())
        fault("the reader finds other objects or materials than were written");
    for (size_t i = 0; i < objects.size(); ++i) {
        const t3DObject& read = model.objects[i];
        const Mesh& written = objects[i].mesh;
        if (read.faces.size() != written.faces.size() ||
            read.vertices.size() != written.vertices.size() ||
            read.hasTexture != !written.texCoords.empty() ||
            read.materialIndex != objects[i].materialIndex)
            fault("the reader finds another object than was written");
    }
    return 0;
}
