// Each file is found and decoded once: materials that name the same file share
// its picture.
#include "picture_sources.h"

#include "texture_lookup.h"

#include <assimp/scene.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

// Picture files larger than this are refused before they are read.
static const std::streamoff MAX_PICTURE_FILE = std::streamoff(256) << 20;

static bool readWholeFile(const std::string& path, std::string* bytes, std::string* why) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *why = "it cannot be opened";
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || size > MAX_PICTURE_FILE) {
        *why = "it is larger than the converter reads";
        return false;
    }
    bytes->resize(size_t(size));
    in.seekg(0);
    if (size > 0 && !in.read(&(*bytes)[0], size)) {
        *why = "it cannot be read";
        return false;
    }
    return true;
}

int knownPicture(const PictureSources& sources, const std::string& identity) {
    const auto seen = sources.known.find(identity);
    return seen == sources.known.end() ? -1 : seen->second;
}

int addPicture(ImportedModel* imported, PictureSources* sources, const std::string& identity,
               ImportedPicture decoded) {
    const int index = int(imported->pictures.size());
    sources->known.emplace(identity, index);
    imported->pictures.push_back(std::move(decoded));
    return index;
}

void warnWithoutPicture(ImportedModel* imported, const std::string& material,
                        const std::string& reference, const std::string& problem) {
    imported->warnings.push_back("material \"" + material + "\" names the picture \"" + reference +
                                 "\", " + problem + ": the figure is drawn without it");
}

int pictureFile(const std::string& reference, const std::string& modelFolder,
                const std::string& material, ImportedModel* imported, PictureSources* sources) {
    const std::string source =
        modelFolder.empty()
            ? ""
            : fs::path(findTextureFile(reference, modelFolder)).lexically_normal().string();
    if (source.empty()) {
        warnWithoutPicture(imported, material, reference,
                           "which is not there (pictures are taken only from the model's folder "
                           "and those below it)");
        return -1;
    }
    std::error_code error;
    const std::string identity = fs::weakly_canonical(fs::path(source), error).string();
    const int known = knownPicture(*sources, identity);
    if (known >= 0)
        return known;
    ImportedPicture decoded;
    decoded.origin = source;
    std::string bytes, why;
    if (!readWholeFile(source, &bytes, &why) ||
        !decodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                       &decoded.picture, &why)) {
        warnWithoutPicture(imported, material, reference,
                           "which cannot be used (" + source + ": " + why + ")");
        return -1;
    }
    return addPicture(imported, sources, identity, std::move(decoded));
}

int pictureForReference(const aiScene& scene, const std::string& reference,
                        const std::string& modelFolder, const std::string& material,
                        ImportedModel* imported, PictureSources* sources) {
    const std::pair<const aiTexture*, int> embedded =
        scene.GetEmbeddedTextureAndIndex(reference.c_str());
    if (!embedded.first) {
        if (reference[0] != '*')
            return pictureFile(reference, modelFolder, material, imported, sources);
        warnWithoutPicture(imported, material, reference, "which the model does not hold");
        return -1;
    }
    const std::string identity = "embedded texture " + std::to_string(embedded.second);
    const int known = knownPicture(*sources, identity);
    if (known >= 0)
        return known;
    ImportedPicture decoded;
    decoded.origin = identity;
    std::string why;
    bool ok;
    const aiTexture& texture = *embedded.first;
    if (!texture.pcData) {
        ok = false;
        why = "it holds no data";
    } else if (texture.mHeight == 0) {
        ok = decodePicture(reinterpret_cast<const uint8_t*>(texture.pcData), texture.mWidth,
                           &decoded.picture, &why);
    } else if (texture.mWidth > unsigned(MAX_SOURCE_SIDE) ||
               texture.mHeight > unsigned(MAX_SOURCE_SIDE)) {
        ok = false;
        why = "it is larger than the converter reads";
    } else {
        ok = pictureFromBgra(reinterpret_cast<const uint8_t*>(texture.pcData), int(texture.mWidth),
                             int(texture.mHeight), &decoded.picture, &why);
    }
    if (!ok) {
        warnWithoutPicture(imported, material, reference,
                           "which cannot be used (" + identity + ": " + why + ")");
        return -1;
    }
    return addPicture(imported, sources, identity, std::move(decoded));
}
