// Imported models as bytes between two processes of the same program on the
// same machine: numbers in the machine's own layout, every sequence behind
// its count.
#include "imported_model_codec.h"

#include "assets/byte_cursor.h"

#include <cstring>
#include <type_traits>

namespace {

template <typename T> void put(std::string* out, const T& value) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    out->append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putCount(std::string* out, size_t count) {
    put(out, uint64_t(count));
}

void putText(std::string* out, const std::string& text) {
    putCount(out, text.size());
    out->append(text);
}

template <typename T> void putArray(std::string* out, const std::vector<T>& values) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    putCount(out, values.size());
    if (!values.empty())
        out->append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

template <typename T> bool get(ByteCursor& c, T* value) {
    if (!cursorHas(c, sizeof(T)))
        return false;
    std::memcpy(value, c.position, sizeof(T));
    c.position += sizeof(T);
    return true;
}

// A count of items of at least `itemSize` bytes each, which the bytes left
// must be able to hold.
bool getCount(ByteCursor& c, size_t itemSize, size_t* count) {
    uint64_t value = 0;
    if (!get(c, &value) || value > cursorRemaining(c) / itemSize)
        return false;
    *count = size_t(value);
    return true;
}

bool getText(ByteCursor& c, std::string* text) {
    size_t length = 0;
    if (!getCount(c, 1, &length))
        return false;
    text->assign(reinterpret_cast<const char*>(c.position), length);
    c.position += length;
    return true;
}

template <typename T> bool getArray(ByteCursor& c, std::vector<T>* values) {
    size_t count = 0;
    if (!getCount(c, sizeof(T), &count))
        return false;
    values->resize(count);
    if (count > 0)
        std::memcpy(values->data(), c.position, count * sizeof(T));
    c.position += count * sizeof(T);
    return true;
}

bool getMaterial(ByteCursor& c, Material* material) {
    return getText(c, &material->name) && get(c, &material->ambient) &&
           get(c, &material->diffuse) && get(c, &material->specular) && get(c, &material->shine) &&
           getText(c, &material->bitmap) && get(c, &material->uTiling) &&
           get(c, &material->vTiling);
}

bool cornersInside(const std::vector<Triangle>& faces, size_t count) {
    for (const Triangle& face : faces)
        for (int corner : {face.a, face.b, face.c})
            if (corner < 0 || size_t(corner) >= count)
                return false;
    return true;
}

bool getObject(ByteCursor& c, size_t materials, MeshObject* object) {
    if (!getText(c, &object->name) || !get(c, &object->materialIndex) ||
        !getArray(c, &object->mesh.vertices) || !getArray(c, &object->mesh.faces) ||
        !getArray(c, &object->mesh.texCoords) || !getArray(c, &object->mesh.texFaces))
        return false;
    const Mesh& mesh = object->mesh;
    if (object->materialIndex < 0 || size_t(object->materialIndex) >= materials)
        return false;
    if (!mesh.texFaces.empty())
        return mesh.texFaces.size() == mesh.faces.size() &&
               cornersInside(mesh.faces, mesh.vertices.size()) &&
               cornersInside(mesh.texFaces, mesh.texCoords.size());
    if (!mesh.texCoords.empty() && mesh.texCoords.size() != mesh.vertices.size())
        return false;
    return cornersInside(mesh.faces, mesh.vertices.size());
}

bool getPicture(ByteCursor& c, ImportedPicture* picture) {
    Image& image = picture->picture.image;
    if (!getText(c, &picture->origin) || !get(c, &picture->picture.sourceWidth) ||
        !get(c, &picture->picture.sourceHeight) || !get(c, &image.width) ||
        !get(c, &image.height) || !getArray(c, &image.rgb))
        return false;
    return image.width > 0 && image.height > 0 &&
           image.rgb.size() == size_t(image.width) * size_t(image.height) * 3;
}

// The fewest bytes a material, an object and a picture take: counts are
// checked against them, so that what a count sizes stays near what the bytes
// hold.
const size_t MATERIAL_BYTES = 2 * 8 + 3 * sizeof(Vec3) + 3 * 8;
const size_t OBJECT_BYTES = 8 + sizeof(int) + 4 * 8;
const size_t PICTURE_BYTES = 8 + 4 * sizeof(int) + 8;

bool decode(ByteCursor& c, ImportedModel* imported) {
    size_t materials = 0, objects = 0, pictures = 0;
    if (!getCount(c, MATERIAL_BYTES, &materials))
        return false;
    imported->model.materials.resize(materials);
    for (Material& material : imported->model.materials)
        if (!getMaterial(c, &material))
            return false;
    if (!getCount(c, OBJECT_BYTES, &objects))
        return false;
    imported->model.objects.resize(objects);
    for (MeshObject& object : imported->model.objects)
        if (!getObject(c, materials, &object))
            return false;
    if (!getArray(c, &imported->materialPicture) || imported->materialPicture.size() != materials ||
        !getCount(c, PICTURE_BYTES, &pictures))
        return false;
    imported->pictures.resize(pictures);
    for (ImportedPicture& picture : imported->pictures)
        if (!getPicture(c, &picture))
            return false;
    for (int picture : imported->materialPicture)
        if (picture < -1 || picture >= int(pictures))
            return false;
    size_t warnings = 0;
    if (!getCount(c, 8, &warnings))
        return false;
    imported->warnings.resize(warnings);
    for (std::string& warning : imported->warnings)
        if (!getText(c, &warning))
            return false;
    return cursorRemaining(c) == 0;
}

} // namespace

std::string encodeImportedModel(const ImportedModel& imported) {
    std::string out;
    putCount(&out, imported.model.materials.size());
    for (const Material& m : imported.model.materials) {
        putText(&out, m.name);
        put(&out, m.ambient);
        put(&out, m.diffuse);
        put(&out, m.specular);
        put(&out, m.shine);
        putText(&out, m.bitmap);
        put(&out, m.uTiling);
        put(&out, m.vTiling);
    }
    putCount(&out, imported.model.objects.size());
    for (const MeshObject& object : imported.model.objects) {
        putText(&out, object.name);
        put(&out, object.materialIndex);
        putArray(&out, object.mesh.vertices);
        putArray(&out, object.mesh.faces);
        putArray(&out, object.mesh.texCoords);
        putArray(&out, object.mesh.texFaces);
    }
    putArray(&out, imported.materialPicture);
    putCount(&out, imported.pictures.size());
    for (const ImportedPicture& picture : imported.pictures) {
        putText(&out, picture.origin);
        put(&out, picture.picture.sourceWidth);
        put(&out, picture.picture.sourceHeight);
        put(&out, picture.picture.image.width);
        put(&out, picture.picture.image.height);
        putArray(&out, picture.picture.image.rgb);
    }
    putCount(&out, imported.warnings.size());
    for (const std::string& warning : imported.warnings)
        putText(&out, warning);
    return out;
}

bool decodeImportedModel(const uint8_t* bytes, size_t size, ImportedModel* imported) {
    *imported = ImportedModel();
    ByteCursor c = makeByteCursor(bytes, size);
    if (decode(c, imported))
        return true;
    *imported = ImportedModel();
    return false;
}
