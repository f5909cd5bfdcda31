// libFuzzer entry point for the .ase reader: any bytes in, no crash, no read
// outside the buffer, no long walk, and every index of the model inside its
// arrays.
#include "assets/ase_loader.h"

#include <cmath>
#include <cstdlib>

static bool inside(int32_t index, size_t count) {
    return index >= 0 && size_t(index) < count;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AseLoader loader(nullptr);
    tModel model;
    // A file that would take too long to walk is refused and leaves no model.
    if (!loader.loadFromMemory(&model, reinterpret_cast<const char*>(data), size)) {
        if (model.objectCount != 0 || !model.objects.empty() || !model.materials.empty())
            std::abort();
        return 0;
    }
    if (size_t(model.objectCount) != model.objects.size() ||
        size_t(model.materialCount) != model.materials.size())
        std::abort();
    for (const t3DObject& o : model.objects) {
        if (o.normals.size() != o.vertices.size() || size_t(o.faceCount) != o.faces.size())
            std::abort();
        for (const tFace& f : o.faces)
            for (int k = 0; k < 3; ++k)
                if (!inside(f.vertexIndex[k], o.vertices.size()) ||
                    (o.hasTexture && !inside(f.texCoordIndex[k], o.texCoords.size())))
                    std::abort();
        for (const tVector3& n : o.normals)
            if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z))
                std::abort();
    }
    return 0;
}
