#include "xfile/x_source.h"

#include "xfile/mapped_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

// Back references reach at most this far into earlier output.
constexpr std::size_t historySize = 32768;
// How much is inflated at once: large enough that moving the window is rare.
constexpr std::size_t inflateAhead = std::size_t{1} << 20;
// How much of a plain file is shown at once: the pages of a mapped file behind it are let go in
// steps of this size.
constexpr std::size_t plainWindow = std::size_t{1} << 20;
constexpr std::size_t maxBlockSize = 65535;

unsigned littleWord(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8;
}

} // namespace

XByteSource::XByteSource(const std::uint8_t* data, std::size_t size, MappedFile* mapped)
    : window_(data), windowSize_(std::min(size, plainWindow)), totalSize_(size),
      finished_(size <= plainWindow), mapped_(mapped) {}

XByteSource::XByteSource(const std::uint8_t* blocks, std::size_t blocksSize,
                         std::size_t blocksOffset, std::size_t statedSize)
    : window_(nullptr), windowSize_(0), totalSize_(statedSize), finished_(statedSize == 0),
      blocks_(blocks), blocksSize_(blocksSize), blocksOffset_(blocksOffset) {}

XByteSource::~XByteSource() {
    if (stream_) {
        inflateEnd(stream_.get());
    }
}

bool XByteSource::failAt(std::size_t offset, const char* why) {
    fault_ = "byte " + std::to_string(blocksOffset_ + offset) + ": " + why;
    return false;
}

bool XByteSource::advance(std::size_t position, std::size_t count) {
    position = std::min(position, windowSize_);
    windowOffset_ += position;
    if (blocks_ == nullptr) {
        window_ += position;
        const std::size_t left = totalSize_ - windowOffset_;
        windowSize_ = std::min(left, std::max(count, plainWindow));
        finished_ = windowSize_ == left;
        if (mapped_ != nullptr) {
            mapped_->releaseBefore(window_);
        }
        return windowSize_ >= count;
    }
    std::size_t start = 0;
    if (window_ == nullptr) {
        // Room for a window, the largest block (and the spare byte) and the history, once.
        buffer_.reserve(inflateAhead + maxBlockSize + 1 + historySize);
    } else {
        start = static_cast<std::size_t>(window_ - buffer_.data()) + position;
    }
    // Keep what the window still shows and the history the next block may refer to.
    const std::size_t keepFrom =
        std::min(start, buffer_.size() > historySize ? buffer_.size() - historySize : 0);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(keepFrom));
    start -= keepFrom;
    const std::size_t wanted = std::max(count, inflateAhead);
    while (!finished_ && buffer_.size() - start < wanted) {
        if (!inflateNextBlock()) {
            window_ = buffer_.data() + start;
            windowSize_ = 0;
            return false;
        }
    }
    window_ = buffer_.data() + start;
    windowSize_ = buffer_.size() - start;
    return windowSize_ >= count;
}

bool XByteSource::inflateNextBlock() {
    const std::size_t at = nextBlock_;
    if (blocksSize_ - at < 6) {
        return failAt(at, "the file ends before all its blocks");
    }
    const unsigned blockSize = littleWord(blocks_ + at);
    const unsigned packedSize = littleWord(blocks_ + at + 2);
    if (blocks_[at + 4] != 'C' || blocks_[at + 5] != 'K') {
        return failAt(at + 4, "a compressed block without its \"CK\" signature");
    }
    if (packedSize < 2 || packedSize - 2 > blocksSize_ - at - 6) {
        return failAt(at + 2, "a compressed block longer than the rest of the file");
    }
    if (blockSize > totalSize_ - inflatedSoFar_) {
        return failAt(at, "a block inflates past the file's stated size");
    }
    if (!inflateBlock(blocks_ + at + 6, packedSize - 2, blockSize)) {
        return failAt(at, fault_.c_str());
    }
    inflatedSoFar_ += blockSize;
    finished_ = inflatedSoFar_ == totalSize_;
    nextBlock_ = at + 4 + packedSize;
    return true;
}

// One raw deflate stream that must end within its bytes and inflate to exactly `blockSize`
// bytes, appended to the buffer; back references may reach the 32 KiB before it.
bool XByteSource::inflateBlock(const std::uint8_t* packed, std::size_t packedSize,
                               std::size_t blockSize) {
    if (!stream_) {
        stream_ = std::make_unique<z_stream>();
        if (inflateInit2(stream_.get(), -MAX_WBITS) != Z_OK) {
            stream_.reset();
            fault_ = "not enough memory to inflate";
            return false;
        }
    } else {
        inflateReset(stream_.get());
    }
    const std::size_t before = buffer_.size();
    const std::size_t history = std::min(before, historySize);
    if (history > 0) {
        inflateSetDictionary(stream_.get(), buffer_.data() + before - history,
                             static_cast<uInt>(history));
    }
    buffer_.resize(before + blockSize + 1); // one spare byte: a block that inflates to more
    z_stream& stream = *stream_;
    stream.next_in = const_cast<Bytef*>(packed);
    stream.avail_in = static_cast<uInt>(packedSize);
    stream.next_out = buffer_.data() + before;
    stream.avail_out = static_cast<uInt>(blockSize + 1);
    const int status = inflate(&stream, Z_FINISH);
    const std::size_t made = blockSize + 1 - stream.avail_out;
    buffer_.resize(before + std::min(made, blockSize));
    if (status == Z_STREAM_END && made == blockSize) {
        return true;
    }
    fault_ = status == Z_DATA_ERROR ? std::string("a broken compressed block (") +
                                          (stream.msg != nullptr ? stream.msg : "") + ")"
             : status == Z_MEM_ERROR ? "not enough memory to inflate"
             : made > blockSize || status == Z_STREAM_END
                 ? "a block inflates to another size than stated"
                 : "a compressed block ends early";
    return false;
}
