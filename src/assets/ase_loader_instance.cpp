// The program's one model reader, whose materials' images become GL textures.
// It lives apart from the reader's code, so that the tools, which give a
// reader their own texture loader, link no GL.
#include "assets/ase_loader.h"

#include "assets/texture.h"

AseLoader::AseLoader() : textureLoader(loadTexture) {}

AseLoader aseLoader;
