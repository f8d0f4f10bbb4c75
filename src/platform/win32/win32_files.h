// Whole files read through the W calls, their names converted from code page 932, so that a
// Japanese name opens in any locale: images for our own texture decoder and .x files for our
// own reader.
#pragma once

#include "xfile/x_mesh.h"

#include <string>
#include <vector>

// The file's bytes; empty when it cannot be read or is 2 GiB or more.
std::vector<unsigned char> readWholeFile(const char* fileName);

// loadXFile with the file read as above.
bool loadXFileByName(const char* fileName, XMesh& mesh, std::string& error);
