// The outside of a .x file: its 16-byte header ("xof 0303txt 0032" and such), the inflation of
// the compressed forms, and reading the file from disk. The objects inside are read by
// x_objects.cpp.
//
// A compressed file continues after the header with the size of the whole uncompressed file
// (header included) and then blocks: a 16-bit uncompressed size, a 16-bit compressed size
// (counting the "CK" that follows), "CK" and a raw deflate stream, whose back references may
// reach into the blocks before it.

#include "xfile/x_mesh.h"

#include "xfile/inflate.h"
#include "xfile/x_objects.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

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

unsigned littleWord(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8;
}

bool failAt(std::size_t offset, const std::string& why, std::string& error) {
    error = "byte " + std::to_string(offset) + ": " + why;
    return false;
}

bool inflateBlocks(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out,
                   std::string& error) {
    std::size_t at = headerSize;
    if (size - at < 4) {
        return failAt(at, "the file ends before its uncompressed size", error);
    }
    std::uint32_t statedSize = 0;
    std::memcpy(&statedSize, data + at, 4);
    at += 4;
    if (statedSize < headerSize || statedSize - headerSize > maxInflatedSize) {
        return failAt(at - 4, "an impossible uncompressed size", error);
    }
    const std::size_t wanted = statedSize - headerSize;
    out.reserve(std::min(wanted, size * 64));
    while (out.size() < wanted) {
        if (size - at < 6) {
            return failAt(at, "the file ends before all its blocks", error);
        }
        const unsigned blockSize = littleWord(data + at);
        const unsigned packedSize = littleWord(data + at + 2);
        if (data[at + 4] != 'C' || data[at + 5] != 'K') {
            return failAt(at + 4, "a compressed block without its \"CK\" signature", error);
        }
        if (packedSize < 2 || packedSize - 2 > size - at - 6) {
            return failAt(at + 2, "a compressed block longer than the rest of the file", error);
        }
        const std::size_t before = out.size();
        std::string why;
        if (blockSize > wanted - before ||
            !inflateRaw(data + at + 6, packedSize - 2, blockSize, out, why) ||
            out.size() - before != blockSize) {
            return failAt(at, why.empty() ? "a block inflates to another size than stated" : why,
                          error);
        }
        at += 4 + packedSize;
    }
    return true;
}

} // namespace

bool parseXFile(const std::uint8_t* data, std::size_t size, XMesh& mesh, std::string& error) {
    mesh = XMesh{};
    Header header{};
    if (!readHeader(data, size, header, error)) {
        return false;
    }
    std::vector<std::uint8_t> inflated;
    const std::uint8_t* body = data + headerSize;
    std::size_t bodySize = size - headerSize;
    // Binary places count from the start of the file, as a hex viewer shows them; those in
    // inflated data from the start of that data.
    header.form.firstByte = headerSize;
    if (header.compressed) {
        header.form.firstByte = 0;
        if (!inflateBlocks(data, size, inflated, error)) {
            return false;
        }
        body = inflated.data();
        bodySize = inflated.size();
    }
    if (!readXObjects(body, bodySize, header.form, mesh, error)) {
        if (header.compressed) {
            error = "inflated data, " + error;
        }
        mesh = XMesh{};
        return false;
    }
    return true;
}

bool loadXFile(const char* fileName, XMesh& mesh, std::string& error) {
    mesh = XMesh{};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName, "rb"), std::fclose);
    if (!file) {
        error = std::string("cannot open ") + fileName;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        error = std::string("cannot read ") + fileName;
        return false;
    }
    return parseXFile(bytes.data(), bytes.size(), mesh, error);
}
