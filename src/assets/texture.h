// Turns a bitmap file into a GL texture with mipmaps, at start-up.
#pragma once

// Creates one texture from the bitmap at `path` (backslashes allowed) and
// stores its name in *name; the texture stays bound. A null path does nothing.
// A missing or unreadable bitmap ends the program with EXIT_MISSING_ASSET after
// the user has been told, so callers only go on with every texture present.
void loadTexture(const char* path, unsigned* name);
