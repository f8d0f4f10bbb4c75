// A fake screen for the capture tests: every screen pixel has a colour computed from its
// position, and the grab lays the area out as a BMP read-out would.
#pragma once

#include "capture/bmp_image.h"
#include "capture/screen_grab.h"

#include <cstdint>
#include <vector>

namespace fake_screen {

// Red, green and blue differ for every pixel and change along both axes, so a swapped
// channel, row or column shows.
Rgb pixelAt(std::int32_t screenX, std::int32_t screenY);

// Where the main window's client origin lies on the screen.
void placeClientOrigin(std::int32_t screenX, std::int32_t screenY);

// Makes the next grabs leave the buffer untouched, as a failed screen copy does.
void failGrabs(bool fail);

// Every area asked for since reset.
const std::vector<ClientArea>& grabbedAreas();

void reset();

} // namespace fake_screen
