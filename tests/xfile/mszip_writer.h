// Writes the compressed form of a .x file with zlib, as exporters do: the 16-byte header, the
// size of the whole uncompressed file, then MSZIP blocks, each a raw deflate stream with the
// block before it as its preset dictionary. For the unit tests and the fuzz target.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>

inline std::string mszipFile(const std::string& header, const std::string& body,
                             std::size_t blockSize = 32768) {
    std::string file = header;
    const std::uint32_t stated = static_cast<std::uint32_t>(header.size() + body.size());
    file.append(reinterpret_cast<const char*>(&stated), 4);
    for (std::size_t at = 0; at < body.size(); at += blockSize) {
        const std::size_t size = std::min(blockSize, body.size() - at);
        z_stream stream{};
        deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        if (at > 0) {
            deflateSetDictionary(&stream,
                                 reinterpret_cast<const Bytef*>(body.data() + at - blockSize),
                                 static_cast<uInt>(blockSize));
        }
        std::string packed(deflateBound(&stream, size), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + at));
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = static_cast<uInt>(packed.size());
        deflate(&stream, Z_FINISH);
        packed.resize(stream.total_out);
        deflateEnd(&stream);
        const std::uint16_t sizes[2] = {static_cast<std::uint16_t>(size),
                                        static_cast<std::uint16_t>(packed.size() + 2)};
        file.append(reinterpret_cast<const char*>(sizes), 4).append("CK").append(packed);
    }
    return file;
}
