// The converter's handover between processes and its output: an imported
// model survives the trip through bytes, and a cut or forged record is refused
// at every point; a set of files replaced as a whole is either all new or, when
// a step fails, all as it was, and one cut short is made whole by the next run.
#include "imported_model_codec.h"
#include "scratch_dir.h"
#include "staged_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

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

// What the folder holds, name by name, with each file's content.
std::map<std::string, std::string> contents(const ScratchDir& scratch) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.path))
        files[entry.path().filename().string()] = scratch.read(entry.path().filename().string());
    return files;
}

TEST(StagedFiles, ReplacesTheSetOrPutsItBack) {
    ScratchDir scratch;
    write(scratch.path + "/robot_1.bmp", "old picture");
    write(scratch.path + "/robot_2.bmp", "old second picture");
    write(scratch.path + "/robot.ase", "old model");
    const std::map<std::string, std::string> before = contents(scratch);

    // The model's temporary goes missing before its rename: the picture
    // already replaced comes back, and a new one that was not there goes.
    StagedFiles staged;
    staged.folder = scratch.path;
    std::string reason;
    ASSERT_TRUE(stageFile(&staged, "robot_1.bmp", "new picture", &reason)) << reason;
    ASSERT_TRUE(stageFile(&staged, "robot_3.bmp", "third picture", &reason)) << reason;
    ASSERT_TRUE(stageFile(&staged, "robot.ase", "new model", &reason)) << reason;
    staged.removals = {"robot_2.bmp"};
    fs::remove(fs::path(scratch.path) / staged.files.back().temporary);
    EXPECT_FALSE(commitFiles(&staged, &reason));
    EXPECT_NE(reason.find("cannot replace"), std::string::npos) << reason;
    EXPECT_EQ(contents(scratch), before);

    staged.folder = scratch.path;
    ASSERT_TRUE(stageFile(&staged, "robot_1.bmp", "new picture", &reason)) << reason;
    ASSERT_TRUE(stageFile(&staged, "robot.ase", "new model", &reason)) << reason;
    staged.removals = {"robot_2.bmp"};
    ASSERT_TRUE(commitFiles(&staged, &reason)) << reason;
    EXPECT_EQ(contents(scratch), (std::map<std::string, std::string>{
                                     {"robot_1.bmp", "new picture"}, {"robot.ase", "new model"}}));
}

// A swap cut short at any point is finished by the next run from what the
// folder holds: forward from its journal, back from a failed one's. What runs
// stopped while writing left goes, and nothing else.
TEST(StagedFiles, NextRunFinishesACutSwap) {
    const std::string journal = "letterbot-assets swap\n"
                                "replace\t.letterbot-convert-a.new\trobot_1.bmp\t.letterbot-convert-b.old\n"
                                "replace\t.letterbot-convert-c.new\trobot_2.bmp\t-\n"
                                "replace\t.letterbot-convert-d.new\trobot.ase\t.letterbot-convert-e.old\n"
                                "remove\trobot_3.bmp\n"
                                "end\n";
    struct Step {
        const char* what;
        std::map<std::string, std::string> files; // besides the journal
    };
    const std::map<std::string, std::string> earlier = {
        {"robot_1.bmp", "old 1"}, {"robot_3.bmp", "old 3"}, {"robot.ase", "old model"}};
    const std::map<std::string, std::string> newer = {
        {"robot_1.bmp", "new 1"}, {"robot_2.bmp", "new 2"}, {"robot.ase", "new model"}};
    const Step steps[] = {
        {"before any rename",
         {{"robot_1.bmp", "old 1"}, {"robot_3.bmp", "old 3"}, {"robot.ase", "old model"},
          {".letterbot-convert-a.new", "new 1"}, {".letterbot-convert-c.new", "new 2"},
          {".letterbot-convert-d.new", "new model"}}},
        {"an earlier file moved aside",
         {{".letterbot-convert-b.old", "old 1"}, {"robot_3.bmp", "old 3"}, {"robot.ase", "old model"},
          {".letterbot-convert-a.new", "new 1"}, {".letterbot-convert-c.new", "new 2"},
          {".letterbot-convert-d.new", "new model"}}},
        {"the model moved aside",
         {{".letterbot-convert-b.old", "old 1"}, {"robot_1.bmp", "new 1"}, {"robot_2.bmp", "new 2"},
          {"robot_3.bmp", "old 3"}, {".letterbot-convert-e.old", "old model"},
          {".letterbot-convert-d.new", "new model"}}},
        {"every file in place",
         {{".letterbot-convert-b.old", "old 1"}, {"robot_1.bmp", "new 1"}, {"robot_2.bmp", "new 2"},
          {"robot_3.bmp", "old 3"}, {".letterbot-convert-e.old", "old model"},
          {"robot.ase", "new model"}}},
    };
    for (const char* kind : {".journal", ".rollback"}) {
        for (const Step& step : steps) {
            SCOPED_TRACE(std::string(kind) + ", " + step.what);
            ScratchDir scratch;
            for (const auto& file : step.files)
                write(scratch.path + "/" + file.first, file.second);
            write(scratch.path + "/.letterbot-convert-f" + kind, journal);
            // A stopped run's temporary, and a person's own file of a like name.
            write(scratch.path + "/.letterbot-convert-0123.new", "half a pict");
            write(scratch.path + "/letterbot-convert-mine.new", "mine");
            std::string reason;
            ASSERT_TRUE(recoverFolder(scratch.path, &reason)) << reason;
            std::map<std::string, std::string> expected =
                std::string(kind) == ".journal" ? newer : earlier;
            expected["letterbot-convert-mine.new"] = "mine";
            EXPECT_EQ(contents(scratch), expected);
        }
    }
    // A journal that is not whole was never acted on, and one that names
    // files outside its folder is not acted on: both go, and nothing else.
    for (const std::string& spoilt :
         {journal.substr(0, journal.size() - 4),
          std::string("letterbot-assets swap\nremove\t../robot_3.bmp\nend\n")}) {
        ScratchDir scratch;
        write(scratch.path + "/robot_3.bmp", "old 3");
        write(scratch.path + "/.letterbot-convert-f.journal", spoilt);
        std::string reason;
        ASSERT_TRUE(recoverFolder(scratch.path, &reason)) << reason;
        EXPECT_EQ(contents(scratch), (std::map<std::string, std::string>{{"robot_3.bmp", "old 3"}}));
    }
}
