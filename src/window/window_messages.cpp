#include "window/window_messages.h"

#include "capture/capture.h"
#include "state/quit_request.h"
#include "window/main_window.h"
#include "window/window_layout.h"

#include <algorithm>
#include <cstring>

char droppedPath[droppedPathSize] = {};

namespace {
constexpr std::uint16_t buttonClicked = 0;
}

void handleCommand(std::uintptr_t wParam) {
    const auto controlId = static_cast<std::uint16_t>(wParam & 0xFFFF);
    const auto notification = static_cast<std::uint16_t>((wParam >> 16) & 0xFFFF);
    if (controlId == window_layout::captureButtonId && notification == buttonClicked) {
        captureFilterArea();
    }
}

void handleDroppedPath(std::string_view firstPath) {
    const std::size_t kept = std::min(firstPath.size(), droppedPathSize - 1);
    std::memcpy(droppedPath, firstPath.data(), kept);
    droppedPath[kept] = '\0';
}

void handleClose() {
    destroyMainWindow();
}

void handleDestroy() {
    deleteWindowResources();
    requestQuit(0);
}
