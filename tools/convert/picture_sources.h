// The pictures of a model's materials as the converter takes them: each source,
// a file beside the model or a texture embedded in it, decoded once. A picture
// that cannot be had leaves its material plain, with a warning: a model is
// worth its shape alone, and the program tints every picture anyway.
#pragma once

#include "scene_import.h"

#include <map>
#include <string>

struct aiScene;

struct PictureSources {
    std::map<std::string, int> known; // a source's identity: its index in the pictures
};

// The index in imported->pictures of the file that a material's `reference`
// names, looked for as findTextureFile says beside the model in `modelFolder`
// (empty: nowhere). -1, with a warning, when it is not there or cannot be
// decoded.
int pictureFile(const std::string& reference, const std::string& modelFolder,
                const std::string& material, ImportedModel* imported, PictureSources* sources);

// The picture a material's texture `reference` in an assimp scene names: a
// texture embedded in the model ("*N" or an embedded file's name), else a
// file, as pictureFile finds it. -1, with a warning, when it cannot be had.
int pictureForReference(const aiScene& scene, const std::string& reference,
                        const std::string& modelFolder, const std::string& material,
                        ImportedModel* imported, PictureSources* sources);

// For pictures from elsewhere: the index of the one known by `identity`, or
// -1; and a decoded picture added under it.
int knownPicture(const PictureSources& sources, const std::string& identity);
int addPicture(ImportedModel* imported, PictureSources* sources, const std::string& identity,
               ImportedPicture decoded);

// The warning that `material` goes without the picture `reference`, which
// `problem` says why ("which is not there", ...).
void warnWithoutPicture(ImportedModel* imported, const std::string& material,
                        const std::string& reference, const std::string& problem);
