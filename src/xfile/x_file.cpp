// The outside of a .x file: its 16-byte header ("xof 0303txt 0032" and such), the size that a
// compressed form states, and reading the file from disk. The objects inside are read by
// x_objects.cpp, from the data x_source.cpp hands out.

#include "xfile/x_mesh.h"

#include "xfile/x_objects.h"
#include "xfile/x_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

constexpr std::size_t headerSize = 16;
constexpr std::size_t maxInflatedSize = std::size_t{1} << 30;

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

} // namespace

bool parseXFile(const std::uint8_t* data, std::size_t size, XMesh& mesh, std::string& error) {
    mesh = XMesh{};
    Header header{};
    if (!readHeader(data, size, header, error)) {
        return false;
    }
    if (!header.compressed) {
        // Binary places count from the start of the file, as a hex viewer shows them.
        header.form.firstByte = headerSize;
        XByteSource source(data + headerSize, size - headerSize);
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

// The header is read and checked before the rest, so that a large file that is not a .x file
// costs 16 bytes of reading; the rest is then one read of the file's size. A path that is not
// a regular file (a folder, a device, a pipe that would block the read) counts as missing.
bool loadXFile(const char* fileName, XMesh& mesh, std::string& error) {
    mesh = XMesh{};
    std::error_code failure;
    const std::filesystem::path path(fileName);
    const bool regular = std::filesystem::is_regular_file(path, failure);
    const std::uintmax_t fileSize = regular ? std::filesystem::file_size(path, failure) : 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        regular && !failure ? std::fopen(fileName, "rb") : nullptr, std::fclose);
    if (!file) {
        error = std::string("cannot open ") + fileName;
        return false;
    }
    std::vector<std::uint8_t> bytes(headerSize);
    bytes.resize(std::fread(bytes.data(), 1, headerSize, file.get()));
    Header header{};
    if (!readHeader(bytes.data(), bytes.size(), header, error)) {
        return false;
    }
    if (fileSize > SIZE_MAX / 2) {
        return failAt(0, "a file too large to read", error);
    }
    bytes.resize(std::max<std::size_t>(static_cast<std::size_t>(fileSize), headerSize));
    bytes.resize(headerSize +
                 std::fread(bytes.data() + headerSize, 1, bytes.size() - headerSize, file.get()));
    if (std::ferror(file.get())) {
        error = std::string("cannot read ") + fileName;
        return false;
    }
    return parseXFile(bytes.data(), bytes.size(), mesh, error);
}
