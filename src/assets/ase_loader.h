// The reader of model files in the ASCII scene export format (.ase).
#pragma once

#include "assets/model.h"

#include <cstddef>

// Creates a GL texture from the image at `path` and stores its name in *name.
typedef void (*TextureLoaderFunction)(const char* path, unsigned* name);

class AseLoader {
  public:
    // Called once per material that names an image, in material order. The
    // program uses loadTexture; tests and tools without a GL context put their
    // own function here.
    TextureLoaderFunction textureLoader;

    // With loadTexture. Defined beside the program's one reader, so that code
    // that gives its own loader links no texture code and no GL.
    AseLoader();
    explicit AseLoader(TextureLoaderFunction loader);

    // Fills a new, empty model from the file at `path` (backslashes allowed),
    // computes the vertex normals and creates the materials' textures. Returns
    // false, with the model empty, when either argument is null or the file
    // cannot be opened or read (a line on standard error says which); true
    // otherwise, also for a file without objects.
    bool load(tModel* model, const char* path);

    // The same for a file already in memory. Never reads outside
    // [text, text + size); its work is bounded by a fixed multiple of the size,
    // and its heap by 20 times the size plus 1 MiB: a file crafted to need more
    // is unreadable, and the model stays empty.
    bool loadFromMemory(tModel* model, const char* text, size_t size);
};

extern AseLoader aseLoader;
