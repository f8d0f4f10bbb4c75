// The data after a .x file's header as the readers see it: a window onto the bytes that moves
// forward as they read. A plain file is read in place, a megabyte at a time; when it is a
// mapped file, the pages behind the window are let go as it moves, so that a large file's pages
// do not stay in the process's memory beside the mesh made from them. A compressed file is
// inflated a few blocks at a time into a small buffer, so a file whose blocks inflate to a
// gigabyte of blanks costs a megabyte of memory, not a gigabyte.
//
// A compressed file continues after the header with the size of the whole uncompressed file
// (header included) and then blocks: a 16-bit uncompressed size, a 16-bit compressed size
// (counting the "CK" that follows), "CK" and a raw deflate stream, whose back references may
// reach into the blocks before it. zlib inflates each block with the output before it as its
// preset dictionary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MappedFile;
struct z_stream_s; // zlib's stream state

class XByteSource {
  public:
    // The whole data in memory; `mapped`, when given, is the file that holds it.
    XByteSource(const std::uint8_t* data, std::size_t size, MappedFile* mapped = nullptr);
    // MSZIP blocks starting at `blocks`; `statedSize` is what they claim to inflate to.
    XByteSource(const std::uint8_t* blocks, std::size_t blocksSize, std::size_t blocksOffset,
                std::size_t statedSize);
    ~XByteSource();
    XByteSource(const XByteSource&) = delete;
    XByteSource& operator=(const XByteSource&) = delete;

    // The current window, and where its first byte lies in the whole data.
    const std::uint8_t* data() const { return window_; }
    std::size_t size() const { return windowSize_; }
    std::size_t offset() const { return windowOffset_; }
    // Bytes from the window's start to the end of the whole data (as stated, when compressed).
    std::size_t remainingFrom(std::size_t position) const {
        return totalSize_ - windowOffset_ - position;
    }
    // The whole data when it stays in memory (a plain file), else null: what the window has
    // passed over can then be read again.
    const std::uint8_t* wholeData() const {
        return blocks_ == nullptr ? window_ - windowOffset_ : nullptr;
    }
    // Whether the window reaches the end of the data.
    bool finished() const { return finished_; }
    // Whether remainingFrom() is exact: a compressed file's size is only stated until the last
    // block is inflated.
    bool sizeKnown() const { return blocks_ == nullptr || finished_; }

    // Moves the window to start at `position` (its byte then is the window's first) and makes
    // at least `count` bytes available when the data has them. False when the data ends
    // sooner or a compressed block is broken; fault() then says which, with its place.
    bool advance(std::size_t position, std::size_t count);
    const std::string& fault() const { return fault_; }

  private:
    bool inflateNextBlock();
    bool inflateBlock(const std::uint8_t* packed, std::size_t packedSize, std::size_t blockSize);
    bool failAt(std::size_t offset, const char* why);

    const std::uint8_t* window_;
    std::size_t windowSize_;
    std::size_t windowOffset_ = 0;
    std::size_t totalSize_;
    bool finished_;
    MappedFile* mapped_ = nullptr; // plain files read from disk only
    // Compressed files only.
    const std::uint8_t* blocks_ = nullptr;
    std::size_t blocksSize_ = 0;
    std::size_t blocksOffset_ = 0; // where the blocks start in the file, for places
    std::size_t nextBlock_ = 0;
    std::size_t inflatedSoFar_ = 0;
    std::vector<std::uint8_t> buffer_;   // history for back references, then the window
    std::unique_ptr<z_stream_s> stream_; // made on the first block
    std::string fault_;
};
