// The district generator. Every building takes 21 draws in a fixed order;
// changing that order would change every building after it.
#include "scene/city.h"

#include "platform/platform_api.h"
#include "scene/scene.h"

CityRandom cityRandom = {1};

int CityRandom::next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

float randomFraction() {
    return static_cast<float>((cityRandom.next() % 101) / 100.0);
}

namespace {

// A face of a building: its normal and four corners as signs of (a, b, c).
struct BuildingFace {
    float normal[3];
    float corners[4][3];
};

const BuildingFace ROOF = {{0, 1, 0}, {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}}};
// There is no back wall: the district is only ever seen from the +z side.
const BuildingFace WALLS[3] = {
    {{0, 0, 1}, {{-1, 1, 1}, {1, 1, 1}, {1, -1, 1}, {-1, -1, 1}}},      // front
    {{1, 0, 0}, {{1, 1, 1}, {1, 1, -1}, {1, -1, -1}, {1, -1, 1}}},      // right
    {{-1, 0, 0}, {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}}}, // left
};

// Every face maps s over 0..a and t over 0..b, so one copy of an image covers
// two by two world units of any face.
void emitFace(const BuildingFace& face, float a, float b, float c) {
    const float texCoords[4][2] = {{0, b}, {a, b}, {a, 0}, {0, 0}};
    glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(texCoords[i][0], texCoords[i][1]);
        glVertex3f(face.corners[i][0] * a, face.corners[i][1] * b, face.corners[i][2] * c);
    }
}

void fillColour(float colour[4]) {
    for (int i = 0; i < 3; ++i)
        colour[i] = randomFraction();
    colour[3] = 1.0f; // blending is never on; 1 is GL's own default alpha
}

} // namespace

void drawBuilding(float a, float b, float c) {
    float ambient[4], diffuse[4], specular[4];
    fillColour(ambient);
    fillColour(diffuse);
    fillColour(specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    // The tenth fraction was once meant as an emission; the buildings show none,
    // but the draw keeps its place so that every later value stays the same.
    randomFraction();
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, randomFraction());

    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBindTexture(GL_TEXTURE_2D, roofTexture);
    glBegin(GL_QUADS);
    emitFace(ROOF, a, b, c);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, windowTexture);
    glBegin(GL_QUADS);
    for (const BuildingFace& wall : WALLS)
        emitFace(wall, a, b, c);
    glEnd();
}

void buildCity() {
    const double lift = 0.4f; // the float value, widened
    for (int building = 0; building < BUILDING_COUNT; ++building) {
        glPushMatrix();
        const double blue = (cityRandom.next() % 80) / 80.0;
        const double green = (cityRandom.next() % 20) / 20.0 + lift;
        const double red = (cityRandom.next() % 10) / 10.0 + lift;
        glColor3f(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue));

        const int halfHeight = cityRandom.next() % 20 + 3;
        const int zi = -20 - cityRandom.next() % 25;
        const float z = zi + randomFraction();
        const int y = halfHeight - 3; // every base at y = -3, below the ground
        const int xi = cityRandom.next() % 80 - 50;
        const float x = xi + randomFraction();
        glTranslatef(x, static_cast<float>(y), z);

        const int halfDepth = cityRandom.next() % 7 + 1;
        const int halfWidth = cityRandom.next() % 7 + 1;
        drawBuilding(static_cast<float>(halfWidth), static_cast<float>(halfHeight),
                     static_cast<float>(halfDepth));
        glPopMatrix();
    }
}
