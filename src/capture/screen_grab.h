// The capture's view of the screen. Each platform provides the grab; the unit tests link a
// fake screen.
#pragma once

#include "window/main_window.h"

#include <cstdint>

// Fills pixelRows, which holds bmpImageSize(width, height) zero bytes, with the screen's pixels
// under the area in the BMP row layout (bottom-up, blue-green-red, zero-padded rows). Parts
// of the area off the screen give what the platform's screen copy gives there. A grab that
// fails leaves the buffer as it was. False, with the buffer as it was and one line saying so,
// when the platform has no pixels for the area: the native build keeps only the area the last
// frame named (endFrame in gfx/graphics.h).
bool grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows);
