// The outside of a .x file: its 16-byte header ("xof 0303txt 0032" and such), the size that a
// compressed form states, and mapping the file from disk. The objects inside are read by
// x_objects.cpp, from the data x_source.cpp hands out.

#include "xfile/x_mesh.h"

#include "xfile/mapped_file.h"
#include "xfile/x_objects.h"
#include "xfile/x_source.h"

#include <cstring>

namespace {

constexpr std::size_t headerSize = 16;
constexpr std::size_t maxInflatedSize = std::size_t{1} << 30;
// Far more than the text of a mesh at every ceiling of x_merge.h, and than any real file.
constexpr std::uint64_t maxFileSize = std::uint64_t{4} << 30;

struct Header {
    XDataForm form;
    bool compressed;
};

bool readHeader(const std::uint8_t* data, std::size_t size, Header& header, std::string& error) {
    if (size < headerSize || std::memcmp(data, "xof ", 4) != 0) {
        error = "byte 0: not a .x file (no \"xof \" header)";
        return false;
    }
    const char* format = reinterpret_cast<const char*>(data + 8);
    const char* floats = reinterpret_cast<const char*>(data + 12);
    const bool text = std::memcmp(format, "txt ", 4) == 0 || std::memcmp(format, "tzip", 4) == 0;
    const bool binary = std::memcmp(format, "bin ", 4) == 0 || std::memcmp(format, "bzip", 4) == 0;
    if (!text && !binary) {
        error = "byte 8: unknown format \"" + std::string(format, 4) + "\"";
        return false;
    }
    if (std::memcmp(floats, "0032", 4) != 0 && std::memcmp(floats, "0064", 4) != 0) {
        error = "byte 12: unknown float size \"" + std::string(floats, 4) + "\"";
        return false;
    }
    header.form = {binary, floats[2] == '6' ? 8u : 4u, 0};
    header.compressed = format[1] == 'z';
    return true;
}

bool failAt(std::size_t offset, const char* why, std::string& error) {
    error = "byte " + std::to_string(offset) + ": " + why;
    return false;
}

// `mapped`, when given, holds the data: the plain form's pages are let go as they are read.
bool parseData(const std::uint8_t* data, std::size_t size, MappedFile* mapped, XMesh& mesh,
               std::string& error) {
    mesh = XMesh{};
    Header header{};
    if (!readHeader(data, size, header, error)) {
        return false;
    }
    if (!header.compressed) {
        // Binary places count from the start of the file, as a hex viewer shows them.
        header.form.firstByte = headerSize;
        XByteSource source(data + headerSize, size - headerSize, mapped);
        if (!readXObjects(source, header.form, mesh, error)) {
            mesh = XMesh{};
            return false;
        }
        return true;
    }
    constexpr std::size_t statedSizeBytes = 4;
    if (size - headerSize < statedSizeBytes) {
        return failAt(headerSize, "the file ends before its uncompressed size", error);
    }
    std::uint32_t statedSize = 0;
    std::memcpy(&statedSize, data + headerSize, statedSizeBytes);
    if (statedSize < headerSize || statedSize - headerSize > maxInflatedSize) {
        return failAt(headerSize, "an impossible uncompressed size", error);
    }
    const std::size_t blocksStart = headerSize + statedSizeBytes;
    XByteSource source(data + blocksStart, size - blocksStart, blocksStart,
                       statedSize - headerSize);
    // Places in inflated data count from the start of that data.
    header.form.firstByte = 0;
    if (!readXObjects(source, header.form, mesh, error)) {
        if (source.fault().empty()) {
            error = "inflated data, " + error;
        }
        mesh = XMesh{};
        return false;
    }
    return true;
}

} // namespace

bool parseXFile(const std::uint8_t* data, std::size_t size, XMesh& mesh, std::string& error) {
    return parseData(data, size, nullptr, mesh, error);
}

// The file is mapped, not read: its header is checked first, and only the pages the readers
// reach are ever loaded. A file larger than any mesh within the ceilings could need is refused
// on its size alone, so a huge file costs neither memory nor the time to pass over it.
bool loadXFile(const char* fileName, XMesh& mesh, std::string& error) {
    mesh = XMesh{};
    MappedFile file;
    if (!file.open(fileName, error)) {
        return false;
    }
    Header header{};
    if (!readHeader(file.data(), file.size(), header, error)) {
        return false;
    }
    if (file.size() > maxFileSize) {
        return failAt(0, "a file larger than the loader's ceiling of 4 GiB", error);
    }
    return parseData(file.data(), file.size(), &file, mesh, error);
}
