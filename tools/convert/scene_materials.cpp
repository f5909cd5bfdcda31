// Materials and their textures from assimp's material properties.
#include "scene_materials.h"

#include "picture_sources.h"

#include <assimp/material.h>
#include <assimp/scene.h>

namespace {

double clamp01(double value) {
    return value > 0.0 ? (value < 1.0 ? value : 1.0) : 0.0; // also not-a-number
}

Vec3 colorOf(const aiMaterial* material, const char* key, unsigned type, unsigned index,
             bool* found) {
    aiColor4D color;
    *found = aiGetMaterialColor(material, key, type, index, &color) == aiReturn_SUCCESS;
    if (!*found)
        return {0, 0, 0};
    return {clamp01(color.r), clamp01(color.g), clamp01(color.b)};
}

Material materialFrom(const aiMaterial* source, unsigned index) {
    Material material;
    aiString name;
    if (aiGetMaterialString(source, AI_MATKEY_NAME, &name) == aiReturn_SUCCESS && name.length > 0)
        material.name = name.C_Str();
    else
        material.name = "Material" + std::to_string(index + 1);
    bool found = false;
    material.diffuse = colorOf(source, AI_MATKEY_COLOR_DIFFUSE, &found);
    if (!found)
        material.diffuse = colorOf(source, AI_MATKEY_BASE_COLOR, &found);
    if (!found)
        material.diffuse = {1, 1, 1};
    material.ambient = colorOf(source, AI_MATKEY_COLOR_AMBIENT, &found);
    material.specular = colorOf(source, AI_MATKEY_COLOR_SPECULAR, &found);
    // The file's shine runs from 0 to 1; GL's highest specular exponent is 128.
    float exponent = 0.0f;
    material.shine = aiGetMaterialFloat(source, AI_MATKEY_SHININESS, &exponent) == aiReturn_SUCCESS
                         ? clamp01(exponent / 128.0)
                         : 0.0;
    return material;
}

// The base colour texture (glTF and other PBR materials), else the diffuse one,
// with its transform where it is to be applied here.
bool textureOf(const aiMaterial* material, TextureTransformRule rule, std::string* reference,
               MaterialUse* use) {
    for (aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}) {
        aiString path;
        aiTextureMapping mapping = aiTextureMapping_UV;
        unsigned uvIndex = 0;
        if (aiGetMaterialTexture(material, type, 0, &path, &mapping, &uvIndex, nullptr, nullptr,
                                 nullptr, nullptr) == aiReturn_SUCCESS &&
            path.length > 0) {
            *reference = path.C_Str();
            // Mappings that assimp could not bake into coordinates leave the
            // objects without any: they are drawn plain.
            use->channel =
                mapping == aiTextureMapping_UV ? uvIndex : AI_MAX_NUMBER_OF_TEXTURECOORDS;
            aiUVTransform transform;
            if (aiGetMaterialUVTransform(material, AI_MATKEY_UVTRANSFORM(type, 0), &transform) ==
                aiReturn_SUCCESS)
                use->uv = uvAffineFor(rule, transform);
            return true;
        }
    }
    return false;
}

} // namespace

bool importMaterials(const aiScene& scene, const std::string& modelFolder,
                     TextureTransformRule rule, ImportedModel* imported,
                     std::vector<MaterialUse>* uses, std::string* reason) {
    PictureSources sources;
    for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
        const aiMaterial* source = scene.mMaterials ? scene.mMaterials[i] : nullptr;
        if (!source) {
            *reason = "material " + std::to_string(i) + " is missing";
            return false;
        }
        imported->model.materials.push_back(materialFrom(source, i));
        std::string reference;
        MaterialUse use = {false, 0, uvIdentity()};
        int picture = -1;
        if (textureOf(source, rule, &reference, &use))
            picture =
                pictureForReference(scene, reference, modelFolder,
                                    imported->model.materials.back().name, imported, &sources);
        use.textured = picture >= 0;
        imported->materialPicture.push_back(picture);
        uses->push_back(use);
    }

    return true;
}
