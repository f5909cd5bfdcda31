// Facade and roof pictures painted from integer hashes and a wrapping value
// noise, so they tile without seams and come out the same on every run, and the
// robot's panel drawn from a few shapes on integer pixels.
#include "textures.h"

#include <cstddef>
#include <cstdint>

static const int SIZE = 256;

struct Colour {
    double r, g, b;
};

// A well-mixed 32-bit hash of a pixel position and a seed.
static uint32_t hash3(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// Uniform in [0, 1).
static double hashUnit(int x, int y, uint32_t seed) {
    return (hash3(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) >> 8) / 16777216.0;
}

// Smooth noise in [0, 1) from a lattice of `cell` pixels that wraps at SIZE.
static double valueNoise(int x, int y, int cell, uint32_t seed) {
    const int lattice = SIZE / cell;
    int i = x / cell, j = y / cell;
    double fx = static_cast<double>(x % cell) / cell, fy = static_cast<double>(y % cell) / cell;
    fx = fx * fx * (3.0 - 2.0 * fx);
    fy = fy * fy * (3.0 - 2.0 * fy);
    int i1 = (i + 1) % lattice, j1 = (j + 1) % lattice;
    double a = hashUnit(i, j, seed), b = hashUnit(i1, j, seed);
    double c = hashUnit(i, j1, seed), d = hashUnit(i1, j1, seed);
    double bottom = a + (b - a) * fx, top = c + (d - c) * fx;
    return bottom + (top - bottom) * fy;
}

static uint8_t toByte(double value) {
    if (value <= 0.0) {
        return 0;
    }
    if (value >= 255.0) {
        return 255;
    }
    return static_cast<uint8_t>(value + 0.5);
}

static void setPixel(Image& image, int x, int y, Colour c) {
    uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    p[0] = toByte(c.r);
    p[1] = toByte(c.g);
    p[2] = toByte(c.b);
}

static Colour shade(Colour c, double amount) {
    return {c.r + amount, c.g + amount, c.b + amount};
}

static Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

static bool inside(int x, int y, int x0, int y0, int x1, int y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

// One 128 x 128 cell of the facade, coordinates with y up. `variant` picks the
// look behind the glass so that neighbouring windows differ.
static Colour facadePixel(int x, int y, int variant) {
    const Colour plaster = {196, 184, 162}, frame = {236, 234, 226}, sill = {170, 168, 164};
    const int left = 32, right = 96, bottom = 30, top = 110, border = 6;

    if (y < 4) {
        return {150, 140, 124}; // the floor slab line
    }
    if (inside(x, y, left - 5, bottom - 7, right + 5, bottom)) {
        return y == bottom - 7 ? shade(sill, -40) : sill;
    }
    if (y < bottom - 7 && y >= bottom - 11 && x >= left - 3 && x < right + 3) {
        return shade(plaster, -28); // shadow under the sill
    }
    if (!inside(x, y, left, bottom, right, top)) {
        // A soft shadow down the right of the opening and under the lintel.
        double darker = 0.0;
        if (x >= right && x < right + 3 && y >= bottom && y < top) {
            darker = 16.0;
        }
        return shade(plaster, -darker);
    }
    bool inFrame = !inside(x, y, left + border, bottom + border, right - border, top - border);
    bool mullion = x >= 62 && x < 66;
    bool transom = y >= 84 && y < 88;
    if (inFrame || mullion || transom) {
        return frame;
    }
    // Glass: dark at the bottom, paler towards the top, a diagonal glint, and
    // a recess shadow along the frame's top and left.
    double height = static_cast<double>(y - bottom - border) / (top - bottom - 2 * border);
    Colour glass = mix(Colour{38, 56, 84}, Colour{104, 136, 170}, height);
    if (variant == 1) {
        glass = mix(Colour{150, 110, 48}, Colour{214, 176, 96}, height); // lit room
    }
    if (variant == 2 && y >= 64) {
        // A blind pulled half way down.
        return (y / 3) % 2 == 0 ? Colour{210, 206, 192} : Colour{184, 180, 168};
    }
    int diagonal = (x - y + 256) % 48;
    if (diagonal < 7) {
        glass = shade(glass, 26);
    }
    if (y >= top - border - 3 || x < left + border + 3) {
        glass = shade(glass, -18);
    }
    return glass;
}

Image makeWallTexture() {
    Image image{SIZE, SIZE, std::vector<uint8_t>(SIZE * SIZE * 3)};
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            int cellX = x / 128, cellY = y / 128;
            int variant = cellY == 0 ? (cellX == 0 ? 2 : 0) : (cellX == 0 ? 0 : 1);
            Colour c = facadePixel(x % 128, y % 128, variant);
            double grain = (hashUnit(x, y, 11) - 0.5) * 10.0;
            double stain = (valueNoise(x, y, 32, 12) - 0.5) * 14.0;
            setPixel(image, x, y, shade(c, grain + stain));
        }
    }
    return image;
}

Image makeRoofTexture() {
    Image image{SIZE, SIZE, std::vector<uint8_t>(SIZE * SIZE * 3)};
    const Colour gravel = {128, 124, 116}, tar = {46, 45, 48};
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            Colour c = gravel;
            double mottling = (valueNoise(x, y, 32, 21) - 0.5) * 34.0;
            double clumps = (valueNoise(x, y, 8, 22) - 0.5) * 26.0;
            double grain = (hashUnit(x, y, 23) - 0.5) * 36.0;
            c = shade(c, mottling + clumps + grain);
            // Scattered pebbles two pixels across, some pale, some dark.
            double pebble = hashUnit(x / 2, y / 2, 24);
            if (pebble < 0.05) {
                c = shade(c, 38);
            } else if (pebble > 0.96) {
                c = shade(c, -34);
            }
            // Warm tint where the gravel is stained.
            c.r += (valueNoise(x, y, 64, 25) - 0.5) * 16.0;
            // Tarred seams between the roofing sheets, every 128 pixels.
            int seamX = x % 128, seamY = y % 128;
            if (seamX < 3 || seamY < 3) {
                c = shade(tar, (hashUnit(x, y, 26) - 0.5) * 12.0);
            } else if (seamX == 3 || seamY == 3) {
                c = mix(c, tar, 0.5);
            }
            setPixel(image, x, y, c);
        }
    }
    return image;
}

PaletteImage makePanelTexture() {
    enum { FRAME, FACE, SLOT, LAMP, LAMP_RIM, AMBER };
    const int size = 32;
    PaletteImage image{size, size, std::vector<uint8_t>(size * size), {}};
    image.paletteRgb = {
        52,  58,  72,  // FRAME: dark steel
        170, 178, 190, // FACE: brushed plate
        14,  16,  22,  // SLOT: the dark behind the vents
        250, 252, 240, // LAMP: lit
        60,  200, 255, // LAMP_RIM
        255, 176, 40,  // AMBER: the middle lamp
    };
    // Rows bottom first, so y grows upwards.
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t colour = FACE;
            if (x < 2 || x >= size - 2 || y < 2 || y >= size - 2) {
                colour = FRAME;
            } else if (y >= 19 && y <= 27) {
                // Three round lamps: a light of radius 2.5 pixels in a rim one
                // pixel wide, measured as squared distances in half pixels.
                const int centres[3] = {7, 15, 23};
                for (int i = 0; i < 3; ++i) {
                    const int dx = x - centres[i], dy = y - 23;
                    const int squared = 4 * (dx * dx + dy * dy);
                    if (squared <= 25) {
                        colour = i == 1 ? AMBER : LAMP;
                    } else if (squared <= 49) {
                        colour = LAMP_RIM;
                    }
                }
            } else if ((y == 16 || y == 17) && x >= 5 && x < size - 5) {
                colour = (x + y) % 2 == 0 ? LAMP_RIM : FRAME; // small lights, every other pixel
            } else if (y >= 5 && y <= 14 && (y - 5) % 4 < 2 && x >= 5 && x < size - 5) {
                colour = SLOT; // three vents, two pixels high
            }
            image.indices[static_cast<size_t>(y) * size + x] = colour;
        }
    }
    return image;
}
