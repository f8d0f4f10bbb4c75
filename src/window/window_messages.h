// What the main window does with its messages, apart from the platform calls themselves. A
// click on the capture button is the capture itself (capture/capture.h), called by the
// platform that decodes it.
#pragma once

#include <cstddef>
#include <string_view>

// The first path of the latest file drop, cut to fit with its terminating zero. Nothing else
// reads it.
constexpr std::size_t droppedPathSize = 260;
extern char droppedPath[droppedPathSize];

// A file drop: keeps the first dropped path.
void handleDroppedPath(std::string_view firstPath);

// Closing the window destroys it; its destruction frees the window's GDI objects and asks the
// main loop to end with exit code 0.
void handleClose();
void handleDestroy();
