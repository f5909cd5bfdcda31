// The converter's handover between processes and its output: an imported
// model survives the trip through bytes, and a cut or forged record is refused
// at every point; a set of files replaced as a whole is either all new or, when
// a step fails, all as it was.
#include "imported_model_codec.h"
#include "scratch_dir.h"
#include "staged_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

ImportedModel sampleModel() {
    ImportedModel imported;
    Material plain = {"plain", {0.1, 0.2, 0.3}, {0.4, 0.5, 0.6}, {0.7, 0.8, 0.9}, 0.25};
    Material textured = plain;
    textured.name = "textured";
    imported.model.materials = {plain, textured};
    MeshObject object;
    object.name = "box";
    object.materialIndex = 1;
    object.mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    object.mesh.faces = {{0, 1, 2}};
    object.mesh.texCoords = {{0, 0}, {1, 0}, {0, 1}};
    MeshObject seamed = object; // texture coordinates on corners of their own
    seamed.mesh.texCoords.push_back({1, 1});
    seamed.mesh.texFaces = {{3, 1, 2}};
    imported.model.objects = {object, seamed};
    imported.materialPicture = {-1, 0};
    imported.warnings = {"left out mesh 1, which is empty"};
    ImportedPicture picture;
    picture.origin = "embedded texture 0";
    picture.picture.image = {2, 1, {1, 2, 3, 4, 5, 6}};
    picture.picture.sourceWidth = 4;
    picture.picture.sourceHeight = 2;
    imported.pictures = {picture};
    return imported;
}

bool decode(const std::string& bytes, ImportedModel* imported) {
    return decodeImportedModel(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                               imported);
}

void write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(ImportedModelCodec, RoundTripAndEveryCut) {
    const std::string bytes = encodeImportedModel(sampleModel());
    ImportedModel back;
    ASSERT_TRUE(decode(bytes, &back));
    EXPECT_EQ(encodeImportedModel(back), bytes);
    EXPECT_EQ(back.model.objects.at(0).mesh.faces.at(0).c, 2);
    EXPECT_EQ(back.pictures.at(0).picture.image.rgb.at(5), 6);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_FALSE(decode(bytes.substr(0, cut), &back));
        EXPECT_TRUE(back.model.objects.empty());
    }
    EXPECT_FALSE(decode(bytes + '\0', &back));
}

TEST(ImportedModelCodec, RefusesWhatNamesNothing) {
    struct Case {
        const char* what;
        void (*spoil)(ImportedModel*);
    };
    const Case cases[] = {
        {"corner", [](ImportedModel* m) { m->model.objects[0].mesh.faces[0].b = 3; }},
        {"negative corner", [](ImportedModel* m) { m->model.objects[0].mesh.faces[0].a = -1; }},
        {"material", [](ImportedModel* m) { m->model.objects[0].materialIndex = 2; }},
        {"picture", [](ImportedModel* m) { m->materialPicture[0] = 1; }},
        {"texture coordinates", [](ImportedModel* m) { m->model.objects[0].mesh.texCoords.pop_back(); }},
        {"texture corner", [](ImportedModel* m) { m->model.objects[1].mesh.texFaces[0].a = 4; }},
        {"texture faces", [](ImportedModel* m) { m->model.objects[1].mesh.texFaces.push_back({0, 0, 0}); }},
        {"pixels", [](ImportedModel* m) { m->pictures[0].picture.image.rgb.pop_back(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImportedModel spoilt = sampleModel();
        c.spoil(&spoilt);
        ImportedModel back;
        EXPECT_FALSE(decode(encodeImportedModel(spoilt), &back));
    }
    // A count far beyond the bytes that follow sizes nothing.
    std::string huge = encodeImportedModel(sampleModel());
    huge.replace(0, 8, std::string("\xff\xff\xff\xff\xff\xff\xff\x0f", 8));
    ImportedModel back;
    EXPECT_FALSE(decode(huge, &back));
}

TEST(StagedFiles, ReplacesTheSetOrPutsItBack) {
    ScratchDir scratch;
    const fs::path folder = scratch.path;
    const std::string first = (folder / "robot_1.bmp").string();
    const std::string model = (folder / "robot.ase").string();
    write(first, "old picture");
    write(model, "old model");

    // The model's temporary goes missing before its rename: the picture
    // already replaced must come back.
    StagedFiles staged;
    std::string reason;
    ASSERT_TRUE(stageFile(&staged, first, "new picture", &reason)) << reason;
    ASSERT_TRUE(stageFile(&staged, model, "new model", &reason)) << reason;
    fs::remove(staged.files.back().temporary);
    EXPECT_FALSE(commitFiles(&staged, &reason));
    EXPECT_NE(reason.find("cannot replace"), std::string::npos) << reason;
    EXPECT_EQ(scratch.read("robot_1.bmp"), "old picture");
    EXPECT_EQ(scratch.read("robot.ase"), "old model");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    // A new target that was not there before goes again on a failure.
    const std::string second = (folder / "robot_2.bmp").string();
    ASSERT_TRUE(stageFile(&staged, second, "second picture", &reason)) << reason;
    ASSERT_TRUE(stageFile(&staged, model, "new model", &reason)) << reason;
    fs::remove(staged.files.back().temporary);
    EXPECT_FALSE(commitFiles(&staged, &reason));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    ASSERT_TRUE(stageFile(&staged, first, "new picture", &reason)) << reason;
    ASSERT_TRUE(stageFile(&staged, model, "new model", &reason)) << reason;
    ASSERT_TRUE(commitFiles(&staged, &reason)) << reason;
    EXPECT_EQ(scratch.read("robot_1.bmp"), "new picture");
    EXPECT_EQ(scratch.read("robot.ase"), "new model");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}
