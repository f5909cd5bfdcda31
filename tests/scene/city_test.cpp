// The generated district, read back from the recorded GL calls.
#include "scene/city.h"
#include "scene/scene.h"

#include "fake_gl.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// What one building recorded.
struct Building {
    std::vector<double> colour, translation, ambient, diffuse, specular;
    double shininess = -1;
    double a = 0, b = 0, c = 0; // from the roof's first corner (-a, b, -c)
    std::vector<double> roofBind, wallBind, normals;
};

std::vector<Building> recordCity() {
    cityRandom.state = 1;
    windowTexture = 7;
    roofTexture = 9;
    fakegl::reset();
    buildCity();
    std::vector<Building> buildings;
    int depth = 0, binds = 0;
    bool firstVertex = false;
    for (const GlCall& call : fakegl::calls) {
        if (call.name == "glPushMatrix") {
            EXPECT_EQ(depth++, 0);
            buildings.emplace_back();
            binds = 0;
            firstVertex = true;
            continue;
        }
        if (call.name == "glPopMatrix") {
            EXPECT_EQ(--depth, 0);
            continue;
        }
        if (buildings.empty())
            continue;
        Building& b = buildings.back();
        if (call.name == "glColor3f")
            b.colour = call.args;
        else if (call.name == "glTranslatef")
            b.translation = call.args;
        else if (call.name == "glMaterialfv") {
            EXPECT_EQ(call.args[0], GL_FRONT_AND_BACK);
            std::vector<double> rgb(call.args.begin() + 2, call.args.begin() + 5);
            EXPECT_EQ(call.args[5], 1.0) << "alpha";
            if (call.args[1] == GL_AMBIENT)
                b.ambient = rgb;
            else if (call.args[1] == GL_DIFFUSE)
                b.diffuse = rgb;
            else if (call.args[1] == GL_SPECULAR)
                b.specular = rgb;
            else
                ADD_FAILURE() << "unexpected material parameter " << call.args[1];
        } else if (call.name == "glMaterialf") {
            EXPECT_EQ(call.args[1], GL_SHININESS);
            b.shininess = call.args[2];
        } else if (call.name == "glBindTexture") {
            (binds++ == 0 ? b.roofBind : b.wallBind) = call.args;
        } else if (call.name == "glNormal3f") {
            b.normals.insert(b.normals.end(), call.args.begin(), call.args.end());
        } else if (call.name == "glVertex3f" && firstVertex) {
            b.a = -call.args[0];
            b.b = call.args[1];
            b.c = -call.args[2];
            firstVertex = false;
        }
    }
    return buildings;
}

void expectNear(const std::vector<double>& actual, std::vector<double> expected, const char* what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5) << what << " [" << i << "]";
}

TEST(CityTest, BuildingsFollowTheFixedSequence) {
    const std::vector<Building> city = recordCity();
    ASSERT_EQ(city.size(), 60u);

    const Building& first = city[0];
    expectNear(first.colour, {0.8, 0.75, 0.5125}, "first colour");
    expectNear(first.translation, {-11.32, 0, -38.31}, "first translation");
    expectNear({first.a, first.b, first.c}, {7, 3, 6}, "first size");
    expectNear(first.ambient, {0.49, 0.67, 0.51}, "first ambient");
    expectNear(first.diffuse, {0.61, 0.63, 0.87}, "first diffuse");
    expectNear(first.specular, {0.66, 0.24, 0.8}, "first specular");
    EXPECT_NEAR(first.shininess, 0.71, 1e-6);

    expectNear(city[1].translation, {26.23, 12, -26.51}, "second translation");
    expectNear({city[1].a, city[1].b, city[1].c}, {2, 15, 2}, "second size");

    const Building& last = city[59];
    expectNear(last.translation, {22.66, 12, -33.04}, "last translation");
    expectNear({last.a, last.b, last.c}, {7, 15, 4}, "last size");
    expectNear(last.colour, {0.6, 0.45, 0.425}, "last colour");
    expectNear(last.ambient, {0.72, 0.9, 0.53}, "last ambient");
    expectNear(last.diffuse, {0.43, 0.73, 0.53}, "last diffuse");
    expectNear(last.specular, {0.95, 0.77, 0.49}, "last specular");
    EXPECT_NEAR(last.shininess, 0.41, 1e-6);

    // 21 draws a building and not one more.
    CityRandom reference = {1};
    for (int i = 0; i < 60 * 21; ++i)
        reference.next();
    EXPECT_EQ(cityRandom.state, reference.state);
}

TEST(CityTest, EveryBuildingStandsOnTheSameBaseWithRoofAndThreeWalls) {
    const std::vector<Building> city = recordCity();
    for (size_t i = 0; i < city.size(); ++i) {
        SCOPED_TRACE(i);
        const Building& b = city[i];
        EXPECT_EQ(b.translation[1] - b.b, -3.0);
        EXPECT_GE(b.translation[0], -50.0);
        EXPECT_LE(b.translation[0], 30.0);
        EXPECT_GE(b.translation[2], -44.0);
        EXPECT_LE(b.translation[2] + b.c, -5.0) << "reaches the letter row";
        EXPECT_EQ(b.roofBind, (std::vector<double>{GL_TEXTURE_2D, 9}));
        EXPECT_EQ(b.wallBind, (std::vector<double>{GL_TEXTURE_2D, 7}));
        // Roof, front, right, left; nothing faces -z or down.
        EXPECT_EQ(b.normals, (std::vector<double>{0, 1, 0, 0, 0, 1, 1, 0, 0, -1, 0, 0}));
    }
}

TEST(CityTest, FacesMapTheImageOverHalfSizesAndNoEmissionIsSent) {
    cityRandom.state = 1;
    fakegl::reset();
    drawBuilding(3, 5, 2);
    EXPECT_EQ(fakegl::count("glBegin"), 2u);
    EXPECT_EQ(fakegl::count("glEnd"), 2u);
    EXPECT_EQ(fakegl::count("glVertex3f"), 16u);
    for (const GlCall& call : fakegl::calls) {
        if (call.name == "glMaterialfv" || call.name == "glMaterialf") {
            EXPECT_NE(call.args[1], GL_EMISSION);
        }
    }
    const auto texCoords = fakegl::named("glTexCoord2f");
    ASSERT_EQ(texCoords.size(), 16u);
    const double expected[4][2] = {{0, 5}, {3, 5}, {3, 0}, {0, 0}};
    for (size_t i = 0; i < texCoords.size(); ++i)
        EXPECT_EQ(texCoords[i].args, (std::vector<double>{expected[i % 4][0], expected[i % 4][1]}));
    // The texture is switched on before anything is bound.
    EXPECT_LT(fakegl::find("glEnable"), fakegl::find("glBindTexture"));
    EXPECT_EQ(cityRandom.state, [] {
        CityRandom r = {1};
        for (int i = 0; i < 11; ++i)
            r.next();
        return r.state;
    }());
}

} // namespace
