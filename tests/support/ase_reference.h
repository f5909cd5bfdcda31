// A slow, literal .ase reader for tests: it walks a C stream with the C
// library's own fscanf and fgets, rescans from the start for every material
// and six times for every object, and tests every face for every vertex. The
// program's reader must give bit-identical models; it differs only in speed.
// The safety rules (bounded tokens and quoted values, counts checked against
// the file size, indices checked, unusable faces dropped, zero normals pointing
// up) are the program's and are repeated here.
#pragma once

#include "assets/model.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace reference {

struct Reader {
    std::FILE* file;
    size_t size;
    char strWord[255];
    size_t vertexBudget, faceBudget, texCoordBudget;

    // "%254s"; a longer run is consumed whole and matches nothing.
    bool readWord() {
        if (std::fscanf(file, "%254s", strWord) != 1)
            return false;
        int c = std::fgetc(file);
        if (c != EOF && !std::isspace(c)) {
            while (c != EOF && !std::isspace(c))
                c = std::fgetc(file);
            strWord[0] = '\0';
        }
        if (c != EOF)
            std::ungetc(c, file);
        return true;
    }

    bool is(const char* keyword) const { return std::strcmp(strWord, keyword) == 0; }

    void discardLine() { std::fgets(strWord, 100, file); }

    float scanFloat() {
        float value = 0.0f;
        std::fscanf(file, " %f", &value);
        return value;
    }

    void readQuoted(char* field) {
        std::fscanf(file, " ");
        int c = std::fgetc(file);
        if (c != '"') {
            if (c != EOF)
                std::ungetc(c, file);
            return;
        }
        const long afterQuote = std::ftell(file);
        std::string text;
        while ((c = std::fgetc(file)) != EOF && c != '"' && c != '\n')
            text += char(c);
        if (c != '"') {
            std::fseek(file, afterQuote, SEEK_SET);
            return;
        }
        if (text.size() > 254)
            return;
        std::memcpy(field, text.data(), text.size());
        field[text.size()] = '\0';
    }

    static int32_t accept(int32_t count, size_t& budget) {
        if (count <= 0 || size_t(count) > budget)
            return 0;
        budget -= size_t(count);
        return count;
    }

    int32_t countObjects() {
        std::rewind(file);
        int32_t count = 0;
        while (!std::feof(file)) {
            if (!readWord())
                break;
            if (is("*GEOMOBJECT"))
                ++count;
            else
                discardLine();
        }
        return count;
    }

    int32_t findMaterialCount() {
        std::rewind(file);
        while (!std::feof(file)) {
            if (!readWord())
                break;
            if (is("*MATERIAL_COUNT")) {
                int32_t count = 0;
                std::fscanf(file, "%d", &count);
                return count;
            }
            discardLine();
        }
        return 0;
    }

    void readMaterial(tMaterialInfo* material, int number) {
        std::rewind(file);
        int seen = 0;
        while (!std::feof(file)) {
            if (!readWord())
                break;
            if (is("*MATERIAL")) {
                if (++seen == number)
                    break;
            } else {
                discardLine();
            }
        }
        if (seen < number)
            return;
        while (!std::feof(file)) {
            if (!readWord())
                break;
            if (is("*MATERIAL"))
                break;
            if (is("*MATERIAL_DIFFUSE"))
                std::fscanf(file, " %f %f %f", &material->diffuseColor[0],
                            &material->diffuseColor[1], &material->diffuseColor[2]);
            else if (is("*BITMAP"))
                readQuoted(material->textureFile);
            else if (is("*MATERIAL_NAME"))
                readQuoted(material->name);
            else if (is("*UVW_U_TILING"))
                material->uTiling = scanFloat();
            else if (is("*UVW_V_TILING"))
                material->vTiling = scanFloat();
            else
                discardLine();
        }
    }

    void seekObject(int number) {
        std::rewind(file);
        int seen = 0;
        while (!std::feof(file)) {
            if (!readWord())
                break;
            if (is("*GEOMOBJECT")) {
                if (++seen == number)
                    return;
            } else {
                discardLine();
            }
        }
    }

    void readObjectCounts(t3DObject* object, int number) {
        seekObject(number);
        int32_t vertexCount = 0, faceCount = 0, texCoordCount = 0;
        while (!std::feof(file)) {
            if (!readWord())
                break;
            if (is("*GEOMOBJECT"))
                break;
            if (is("*MESH_NUMVERTEX"))
                std::fscanf(file, "%d", &vertexCount);
            else if (is("*MESH_NUMFACES"))
                std::fscanf(file, "%d", &faceCount);
            else if (is("*MESH_NUMTVERTEX"))
                std::fscanf(file, "%d", &texCoordCount);
            else
                discardLine();
        }
        object->vertexCount = accept(vertexCount, vertexBudget);
        object->faceCount = accept(faceCount, faceBudget);
        object->texCoordCount = accept(texCoordCount, texCoordBudget);
        object->vertices.assign(size_t(object->vertexCount), tVector3(0, 0, 0));
        object->faces.assign(size_t(object->faceCount), tFace{});
        object->texCoords.assign(size_t(object->texCoordCount), tVector2{});
    }

    static bool inside(int32_t index, int32_t count) { return index >= 0 && index < count; }

    void readObjectPass(tModel* model, t3DObject* object, const char* keyword, int number) {
        seekObject(number);
        while (!std::feof(file)) {
            if (!readWord())
                break;
            if (is("*GEOMOBJECT"))
                break;
            if (is(keyword)) {
                if (is("*MATERIAL_REF")) {
                    const float value = scanFloat();
                    object->materialIndex = (value >= -2147483648.0f && value < 2147483648.0f)
                                                ? int32_t(value)
                                                : INT32_MIN;
                    break;
                }
                int32_t index = 0;
                if (is("*MESH_VERTEX")) {
                    std::fscanf(file, "%d", &index);
                    tVector3 dummy;
                    tVector3& v = inside(index, object->vertexCount)
                                      ? object->vertices[size_t(index)]
                                      : dummy;
                    std::fscanf(file, "%f %f %f", &v.x, &v.z, &v.y);
                    v.z = -v.z;
                } else if (is("*MESH_TVERT")) {
                    std::fscanf(file, "%d", &index);
                    tVector2 dummy;
                    if (!inside(index, object->texCoordCount)) {
                        std::fscanf(file, "%f %f", &dummy.u, &dummy.v);
                        continue;
                    }
                    tVector2& t = object->texCoords[size_t(index)];
                    std::fscanf(file, "%f %f", &t.u, &t.v);
                    tMaterialInfo none{};
                    const tMaterialInfo& m =
                        inside(object->materialIndex, int32_t(model->materials.size()))
                            ? model->materials[size_t(object->materialIndex)]
                            : none;
                    t.u *= m.uTiling;
                    t.v *= m.vTiling;
                    object->hasTexture = true;
                } else if (is("*MESH_FACE")) {
                    std::fscanf(file, "%d:", &index);
                    tFace dummy;
                    tFace& f =
                        inside(index, object->faceCount) ? object->faces[size_t(index)] : dummy;
                    std::fscanf(file, "\tA:\t%d B:\t%d C:\t%d", &f.vertexIndex[0],
                                &f.vertexIndex[1], &f.vertexIndex[2]);
                } else {
                    std::fscanf(file, "%d:", &index);
                    tFace dummy;
                    tFace& f =
                        inside(index, object->faceCount) ? object->faces[size_t(index)] : dummy;
                    std::fscanf(file, "%d %d %d", &f.texCoordIndex[0], &f.texCoordIndex[1],
                                &f.texCoordIndex[2]);
                }
            } else if (is("*MATERIAL_REF") || is("*MESH_VERTEX") || is("*MESH_TVERT") ||
                       is("*MESH_FACE") || is("*MESH_TFACE")) {
                continue;
            } else {
                discardLine();
            }
        }
    }

    static void dropUnusableFaces(t3DObject* object) {
        std::vector<tFace> kept;
        for (const tFace& f : object->faces) {
            bool usable = true;
            for (int k = 0; k < 3; ++k) {
                usable = usable && inside(f.vertexIndex[k], object->vertexCount);
                if (object->hasTexture)
                    usable = usable && inside(f.texCoordIndex[k], object->texCoordCount);
            }
            if (usable)
                kept.push_back(f);
        }
        object->faces = kept;
        object->faceCount = int32_t(kept.size());
    }

    static void computeVertexNormals(tModel* model) {
        for (t3DObject& object : model->objects) {
            std::vector<tVector3> faceNormals(object.faces.size());
            object.normals.assign(size_t(object.vertexCount), tVector3(0, 0, 0));
            for (size_t f = 0; f < object.faces.size(); ++f) {
                const tVector3 vPoly[3] = {object.vertices[size_t(object.faces[f].vertexIndex[0])],
                                           object.vertices[size_t(object.faces[f].vertexIndex[1])],
                                           object.vertices[size_t(object.faces[f].vertexIndex[2])]};
                const tVector3 vVector1 = difference(vPoly[0], vPoly[2]);
                const tVector3 vVector2 = difference(vPoly[2], vPoly[1]);
                faceNormals[f] = crossProduct(vVector1, vVector2);
            }
            const tVector3 vZero(0, 0, 0);
            tVector3 vSum = vZero;
            int shared = 0;
            for (int32_t v = 0; v < object.vertexCount; ++v) {
                for (size_t f = 0; f < object.faces.size(); ++f) {
                    const int32_t* vi = object.faces[f].vertexIndex;
                    if (vi[0] == v || vi[1] == v || vi[2] == v) {
                        vSum = vSum + faceNormals[f];
                        ++shared;
                    }
                }
                tVector3 n = unitVector(vSum / float(-shared));
                if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z))
                    n = tVector3(0, 1, 0);
                object.normals[size_t(v)] = n;
                vSum = vZero;
                shared = 0;
            }
        }
    }

    static uint8_t colorByte(float component) {
        const float scaled = component * 255.0f;
        if (!(scaled > 0.0f))
            return 0;
        if (scaled >= 255.0f)
            return 255;
        return uint8_t(std::lround(scaled));
    }

    void readModel(tModel* model) {
        model->objectCount = countObjects();
        size_t materialBudget = size / 10;
        model->materialCount = accept(findMaterialCount(), materialBudget);
        for (int i = 0; i < model->materialCount; ++i) {
            tMaterialInfo newMaterial;
            std::memset(&newMaterial, 0, sizeof newMaterial);
            model->materials.push_back(newMaterial);
            readMaterial(&model->materials.back(), i + 1);
            for (int k = 0; k < 3; ++k)
                model->materials.back().color[k] =
                    colorByte(model->materials.back().diffuseColor[k]);
        }
        static const char* const passes[] = {"*MATERIAL_REF", "*MESH_VERTEX", "*MESH_TVERT",
                                             "*MESH_FACE", "*MESH_TFACE"};
        for (int i = 0; i < model->objectCount; ++i) {
            model->objects.push_back(t3DObject());
            t3DObject* object = &model->objects.back();
            readObjectCounts(object, i + 1);
            for (const char* keyword : passes)
                readObjectPass(model, object, keyword, i + 1);
            dropUnusableFaces(object);
        }
    }
};

// Loads a model from text in memory, without textures.
inline void load(tModel* model, const std::string& text) {
    *model = tModel();
    if (text.empty())
        return;
    Reader reader;
    reader.file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    reader.size = text.size();
    reader.vertexBudget = text.size() / 13;
    reader.faceBudget = text.size() / 11;
    reader.texCoordBudget = text.size() / 12;
    reader.readModel(model);
    Reader::computeVertexNormals(model);
    std::fclose(reader.file);
}

} // namespace reference
