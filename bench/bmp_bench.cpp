// Bitmap decoding speed: our reader beside stb_image and SDL's loader on the
// same 4096 x 4096 files (24-bit and 8-bit palette), in megapixels per second.
#include "assets/bmp_reader.h"
#include "platform/file_bytes.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int SIDE = 4096;
std::string folder;

void putLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// A bitmap with a file header, a 40-byte header and a varied picture.
std::string writeBitmap(const char* name, int bits) {
    const uint32_t entries = bits == 8 ? 256 : 0;
    const uint32_t stride = (uint32_t(SIDE) * bits / 8 + 3) / 4 * 4;
    const uint32_t offset = 14 + 40 + 4 * entries;
    std::vector<uint8_t> file;
    file.reserve(offset + size_t(stride) * SIDE);
    file.push_back('B');
    file.push_back('M');
    putLE(file, offset + stride * SIDE, 4);
    putLE(file, 0, 4);
    putLE(file, offset, 4);
    for (uint32_t value : {40u, uint32_t(SIDE), uint32_t(SIDE)})
        putLE(file, value, 4);
    putLE(file, 1, 2);
    putLE(file, uint32_t(bits), 2);
    for (uint32_t value : {0u, stride * SIDE, 2835u, 2835u, entries, 0u})
        putLE(file, value, 4);
    for (uint32_t i = 0; i < entries; ++i)
        putLE(file, (i * 0x010307u) & 0xFFFFFF, 4);
    for (int y = 0; y < SIDE; ++y) {
        for (uint32_t x = 0; x < stride; ++x)
            file.push_back(uint8_t((x * 7) ^ (y * 13)));
    }
    const std::string path = folder + "/" + name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(out);
    return path;
}

std::string rgb24Path;
std::string pal8Path;

void setRate(benchmark::State& state) {
    state.counters["MP/s"] = benchmark::Counter(double(SIDE) * SIDE / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void ours(benchmark::State& state, const std::string* path) {
    for (auto _ : state) {
        ImageRGB* image = loadBitmapImage(path->c_str());
        if (!image) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image->pixels[0]);
        freeImage(image);
    }
    setRate(state);
}

// The decoder alone, on a file already in memory.
void oursInMemory(benchmark::State& state, const std::string* path) {
    FileBytes file{};
    if (readFileBytes(path->c_str(), &file) != FILE_BYTES_OK) {
        state.SkipWithError("cannot read the file");
        return;
    }
    for (auto _ : state) {
        BitmapFailure failure;
        ImageRGB* image = decodeBitmap(file.data, file.size, &failure);
        if (!image) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image->pixels[0]);
        freeImage(image);
    }
    releaseFileBytes(&file);
    setRate(state);
}

void stb(benchmark::State& state, const std::string* path) {
    for (auto _ : state) {
        int width, height, channels;
        stbi_set_flip_vertically_on_load(1); // bottom row first, like ours
        unsigned char* pixels = stbi_load(path->c_str(), &width, &height, &channels, 3);
        if (!pixels) {
            state.SkipWithError(stbi_failure_reason());
            break;
        }
        benchmark::DoNotOptimize(pixels[0]);
        stbi_image_free(pixels);
    }
    setRate(state);
}

void sdl(benchmark::State& state, const std::string* path) {
    for (auto _ : state) {
        SDL_Surface* surface = SDL_LoadBMP(path->c_str());
        if (!surface) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        benchmark::DoNotOptimize(surface->pixels);
        SDL_FreeSurface(surface);
    }
    setRate(state);
}

// SDL keeps an 8-bit file as a palette surface; turning it into RGB bytes, as
// GL needs them, is the work our reader and stb include.
void sdlToRgb(benchmark::State& state, const std::string* path) {
    for (auto _ : state) {
        SDL_Surface* surface = SDL_LoadBMP(path->c_str());
        SDL_Surface* rgb = surface ? SDL_CreateRGBSurface(SDL_SWSURFACE, surface->w, surface->h, 24,
                                                          0x0000FF, 0x00FF00, 0xFF0000, 0)
                                   : nullptr;
        if (!rgb || SDL_BlitSurface(surface, nullptr, rgb, nullptr) != 0) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        benchmark::DoNotOptimize(rgb->pixels);
        SDL_FreeSurface(rgb);
        SDL_FreeSurface(surface);
    }
    setRate(state);
}

} // namespace

int main(int argc, char** argv) {
    char name[] = "/tmp/letterbot_bmp_benchXXXXXX";
    if (!mkdtemp(name))
        return 1;
    folder = name;
    rgb24Path = writeBitmap("rgb24.bmp", 24);
    pal8Path = writeBitmap("pal8.bmp", 8);

    benchmark::RegisterBenchmark("rgb24/letterbot", ours, &rgb24Path)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("rgb24/letterbot_in_memory", oursInMemory, &rgb24Path)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("rgb24/stb_image", stb, &rgb24Path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("rgb24/SDL_LoadBMP", sdl, &rgb24Path)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pal8/letterbot", ours, &pal8Path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pal8/letterbot_in_memory", oursInMemory, &pal8Path)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pal8/stb_image", stb, &pal8Path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pal8/SDL_LoadBMP", sdl, &pal8Path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pal8/SDL_LoadBMP+blit_to_RGB", sdlToRgb, &pal8Path)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::remove(rgb24Path.c_str());
    std::remove(pal8Path.c_str());
    rmdir(name);
    return 0;
}
