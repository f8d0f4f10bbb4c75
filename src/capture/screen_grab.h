// The capture's view of the screen. Each platform provides the grab; the unit tests link a
// fake screen.
#pragma once

#include <cstdint>

// The filter's rectangle in client pixels of the main window. The origin stays signed 32-bit:
// on a monitor left of or above the primary one its screen position is negative.
struct ClientArea {
    std::int32_t x;
    std::int32_t y;
    std::uint16_t width;
    std::uint16_t height;

    bool operator==(const ClientArea&) const = default;
};

// Fills pixelRows, which holds bmpImageSize(width, height) zero bytes, with the screen's pixels
// under the area in the BMP row layout (bottom-up, blue-green-red, zero-padded rows). Parts
// of the area off the screen give what the platform's screen copy gives there. A grab that
// fails leaves the buffer as it was.
void grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows);
