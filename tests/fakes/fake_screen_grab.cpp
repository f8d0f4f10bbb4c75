#include "fake_screen_grab.h"

namespace {
std::int32_t clientOriginX = 0;
std::int32_t clientOriginY = 0;
bool grabsFail = false;
std::vector<ClientArea> areas;
} // namespace

namespace fake_screen {

Rgb pixelAt(std::int32_t screenX, std::int32_t screenY) {
    return {static_cast<std::uint8_t>(screenX), static_cast<std::uint8_t>(screenY),
            static_cast<std::uint8_t>(screenX * 7 + screenY * 13 + 1)};
}

void placeClientOrigin(std::int32_t screenX, std::int32_t screenY) {
    clientOriginX = screenX;
    clientOriginY = screenY;
}

void failGrabs(bool fail) {
    grabsFail = fail;
}

const std::vector<ClientArea>& grabbedAreas() {
    return areas;
}

void reset() {
    placeClientOrigin(0, 0);
    failGrabs(false);
    areas.clear();
}

} // namespace fake_screen

void grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows) {
    areas.push_back(area);
    if (grabsFail) {
        return;
    }
    for (std::uint16_t y = 0; y < area.height; ++y) {
        for (std::uint16_t x = 0; x < area.width; ++x) {
            const Rgb color =
                fake_screen::pixelAt(clientOriginX + area.x + x, clientOriginY + area.y + y);
            storeBmpPixel(pixelRows, area.width, area.height, x, y, color);
        }
    }
}
