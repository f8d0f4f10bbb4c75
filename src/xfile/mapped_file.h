// A whole file mapped read-only into memory, so that the .x loader reads it in place: no copy,
// no buffer the size of the file, and pages the system can drop again under pressure. Each
// platform implements it (src/platform/linux/posix_mapped_file.cpp,
// src/platform/win32/win32_mapped_file.cpp); mapping touches no byte, so a huge file costs
// nothing until it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens the file (a narrow name, as the platform's file calls take it) without blocking
    // and maps it whole. False, with why in error, when it cannot be opened, is not a regular
    // file (a folder, a pipe, a device) or cannot be mapped. An empty file maps to no bytes.
    bool open(const char* fileName, std::string& error);

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};
