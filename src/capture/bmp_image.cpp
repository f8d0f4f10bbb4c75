#include "capture/bmp_image.h"

#include <limits>

namespace {

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint16_t bitsPerPixel = 24;
constexpr std::uint32_t uncompressedRgb = 0; // BI_RGB
static_assert(fileHeaderSize + infoHeaderSize == bmpHeadersSize);

// Writes fields at increasing offsets, least significant byte first, whatever the host's
// byte order or struct packing.
class LittleEndianWriter {
  public:
    explicit LittleEndianWriter(std::uint8_t* out) : out_(out) {}

    void put16(std::uint16_t value) { putBytes(value, 2); }
    void put32(std::uint32_t value) { putBytes(value, 4); }

  private:
    void putBytes(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            *out_++ = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }

    std::uint8_t* out_;
};

} // namespace

std::uint32_t paddedRowLength(std::uint16_t width) {
    return (std::uint32_t{width} * bitsPerPixel + 31) / 32 * 4;
}

std::optional<std::uint32_t> bmpImageSize(std::uint16_t width, std::uint16_t height) {
    const std::uint64_t imageSize = std::uint64_t{paddedRowLength(width)} * height;
    if (imageSize + bmpHeadersSize > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(imageSize);
}

std::array<std::uint8_t, bmpHeadersSize> bmpHeaders(std::uint16_t width, std::uint16_t height) {
    const std::uint32_t imageSize = paddedRowLength(width) * std::uint32_t{height};
    std::array<std::uint8_t, bmpHeadersSize> headers{};
    LittleEndianWriter writer(headers.data());

    writer.put16(0x4D42); // "BM"
    writer.put32(imageSize + bmpHeadersSize);
    writer.put16(0); // reserved
    writer.put16(0); // reserved
    writer.put32(bmpHeadersSize);

    writer.put32(infoHeaderSize);
    writer.put32(width);
    writer.put32(height); // positive: rows stored bottom-up
    writer.put16(1);      // planes
    writer.put16(bitsPerPixel);
    writer.put32(uncompressedRgb);
    writer.put32(imageSize);
    writer.put32(0); // horizontal resolution
    writer.put32(0); // vertical resolution
    writer.put32(0); // colours used
    writer.put32(0); // important colours
    return headers;
}

void storeBmpPixel(std::uint8_t* pixelRows, std::uint16_t width, std::uint16_t height,
                   std::uint16_t x, std::uint16_t y, Rgb color) {
    const std::uint32_t storedRow = std::uint32_t{height} - 1 - y;
    std::uint8_t* pixel = pixelRows + std::size_t{storedRow} * paddedRowLength(width) + 3u * x;
    pixel[0] = color.blue;
    pixel[1] = color.green;
    pixel[2] = color.red;
}
