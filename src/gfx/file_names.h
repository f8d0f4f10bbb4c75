// File names in code page 932, as the core stores them.
#pragma once

#include <string>

// The file name after the last '\\' or '/' of a path, reading double-byte characters whole:
// their trail byte can be 0x5C, the code of '\\'.
std::string bareFileName(const std::string& path);
