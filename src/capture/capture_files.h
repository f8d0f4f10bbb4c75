// The capture's file operations. Each platform provides them; the unit tests link a fake
// that can be told to fail.
#pragma once

#include <cstdint>

// An open capture file (a HANDLE on Windows).
using CaptureFile = void*;

enum class NewFileResult { created, alreadyExists, failed };

// Creates the folder unless it exists already.
void createFolderIfMissing(const char* folderName);

// Creates the file only if no file of that name exists; an existing file is never opened.
NewFileResult createNewFile(const char* fileName, CaptureFile& file);

// Appends the bytes; false unless all of them were written.
bool writeToFile(CaptureFile file, const std::uint8_t* bytes, std::uint32_t count);

// False when closing reports that the data may not have reached the file.
bool closeFile(CaptureFile file);

void removeFile(const char* fileName);
