#include "window/window_messages.h"

#include "state/quit_request.h"
#include "window/main_window.h"

#include <algorithm>
#include <cstring>

char droppedPath[droppedPathSize] = {};

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
