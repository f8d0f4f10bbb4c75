// The layout of a capture file: an uncompressed 24-bit BMP whose rows are stored bottom-up,
// each pixel as blue, green, red, each row padded with zeros to a multiple of 4 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The file header (14 bytes) and the info header (40 bytes) in front of the pixel rows.
constexpr std::uint32_t bmpHeadersSize = 54;

// Bytes of one stored row: 3 per pixel, rounded up to a multiple of 4.
std::uint32_t paddedRowLength(std::uint16_t width);

// Bytes of all pixel rows (biSizeImage), or nothing when the whole file would not fit the
// 32-bit size field of the file header.
std::optional<std::uint32_t> bmpImageSize(std::uint16_t width, std::uint16_t height);

// Both headers of an image whose size bmpImageSize accepts, serialised little-endian.
std::array<std::uint8_t, bmpHeadersSize> bmpHeaders(std::uint16_t width, std::uint16_t height);

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

// Stores the pixel at column x of row y (row 0 at the top of the picture) in pixel rows laid
// out as the file holds them. For a screen grab that has no ready-made BMP read-out.
void storeBmpPixel(std::uint8_t* pixelRows, std::uint16_t width, std::uint16_t height,
                   std::uint16_t x, std::uint16_t y, Rgb color);
