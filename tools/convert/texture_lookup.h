// Finds the file that a model's texture reference names. Models made on
// Windows write backslashes, often another case than the files have, and at
// times the absolute path of the machine they were made on; models made for
// the program name their pictures from its working directory ("data\x.bmp"),
// which the file name beside the model finds.
#pragma once

#include <string>

// Looks for `reference` beside the model (relative to `modelFolder`), then by
// its file name alone beside the model. Backslashes count as folder
// separators, a "file://" or Blender's "//" prefix means beside the model,
// %XX escapes are decoded when the name as written is not there, and a file
// name that does not match in case matches a file in that folder whose name
// differs only in case. A reference that is absolute or climbs out with ".."
// (also written %2E%2E) is looked for only by its file name, and a file that a
// link takes outside the model's folder is not taken: a model from elsewhere
// must not make the converter copy other pictures of the machine. Returns the
// path of a regular file that can be opened, or "" when none is found.
std::string findTextureFile(const std::string& reference, const std::string& modelFolder);
