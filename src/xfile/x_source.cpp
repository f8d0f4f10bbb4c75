#include "xfile/x_source.h"

#include "xfile/inflate.h"

#include <algorithm>
#include <cstring>

namespace {

// Back references reach at most this far into earlier output.
constexpr std::size_t historySize = 32768;
// How much is inflated at once: large enough that moving the window is rare.
constexpr std::size_t inflateAhead = std::size_t{1} << 20;
constexpr std::size_t maxBlockSize = 65535;

unsigned littleWord(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8;
}

} // namespace

XByteSource::XByteSource(const std::uint8_t* data, std::size_t size)
    : window_(data), windowSize_(size), totalSize_(size), finished_(true) {}

XByteSource::XByteSource(const std::uint8_t* blocks, std::size_t blocksSize,
                         std::size_t blocksOffset, std::size_t statedSize)
    : window_(nullptr), windowSize_(0), totalSize_(statedSize), finished_(statedSize == 0),
      blocks_(blocks), blocksSize_(blocksSize), blocksOffset_(blocksOffset) {}

bool XByteSource::failAt(std::size_t offset, const char* why) {
    fault_ = "byte " + std::to_string(blocksOffset_ + offset) + ": " + why;
    return false;
}

bool XByteSource::advance(std::size_t position, std::size_t count) {
    position = std::min(position, windowSize_);
    windowOffset_ += position;
    if (blocks_ == nullptr) {
        window_ += position;
        windowSize_ -= position;
        return windowSize_ >= count;
    }
    std::size_t start = 0;
    if (window_ == nullptr) {
        // Room for a window, the largest block and the history, once.
        buffer_.reserve(inflateAhead + maxBlockSize + historySize);
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
    const std::size_t before = buffer_.size();
    std::string why;
    if (blockSize > totalSize_ - inflatedSoFar_ ||
        !inflateRaw(blocks_ + at + 6, packedSize - 2, blockSize, buffer_, why) ||
        buffer_.size() - before != blockSize) {
        return failAt(at,
                      why.empty() ? "a block inflates to another size than stated" : why.c_str());
    }
    inflatedSoFar_ += blockSize;
    finished_ = inflatedSoFar_ == totalSize_;
    nextBlock_ = at + 4 + packedSize;
    return true;
}
