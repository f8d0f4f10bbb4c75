// A whole file mapped read-only into memory, so that the .x loader reads it in place: no copy,
// no buffer the size of the file, and pages the system can drop again under pressure. Each
// platform implements it (src/platform/sdl/posix_mapped_file.cpp,
// src/platform/win32/win32_mapped_file.cpp); mapping touches no byte, so a huge file costs
// nothing until it is read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

    // The bytes before `position` (a place in data()) will not be read again: their pages may
    // leave the process's memory, so that a large file read from start to end is not held whole
    // beside what is made of it. They stay in the system's file cache.
    void releaseBefore(const std::uint8_t* position);

  private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t released_ = 0; // bytes from the start whose pages were let go
};

// Memory the loader is about to fill whole (a list or the merged mesh sized from its count):
// asks the system to back it with large pages where it can, so that filling a large mesh takes
// one page fault per 2 MiB instead of one per 4 KiB, which on a virtual machine is most of a
// cold load's time. A hint only; where there is no such hint it does nothing.
void adviseLargePages(void* data, std::size_t bytes);

// Room for `count` items in `values`, with large pages hinted for it.
template <typename T> void reserveWithLargePages(std::vector<T>& values, std::size_t count) {
    if (count > values.capacity()) {
        values.reserve(count);
        adviseLargePages(values.data(), values.capacity() * sizeof(T));
    }
}

// Room for `needed` items, growing at least geometrically, with large pages hinted for it: for
// a list that grows with what is read (sized once per mesh, a file of many small meshes still
// copies what is merged only a few times).
template <typename T> void reserveAtLeast(std::vector<T>& values, std::size_t needed) {
    if (needed > values.capacity()) {
        reserveWithLargePages(values, std::max(needed, values.capacity() * 2));
    }
}
