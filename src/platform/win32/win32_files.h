// Whole files read through the W calls, their names converted from code page 932, so that a
// Japanese name opens in any locale: images for our own texture decoder.
#pragma once

#include <string>
#include <vector>

// The file's bytes; empty when it cannot be read or is 2 GiB or more.
std::vector<unsigned char> readWholeFile(const char* fileName);
