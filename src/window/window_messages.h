// What the main window does with its messages, apart from the platform calls themselves.
#pragma once

#include <cstdint>
#include <string_view>

// The first path of the latest file drop, cut to fit with its terminating zero. Nothing else
// reads it.
constexpr std::size_t droppedPathSize = 260;
extern char droppedPath[droppedPathSize];

// A command message: a click on the capture button (its id in the low 16 bits of wParam, a
// zero notification code in the high 16 bits) runs one capture; anything else is ignored.
void handleCommand(std::uintptr_t wParam);

// A file drop: keeps the first dropped path.
void handleDroppedPath(std::string_view firstPath);

// Closing the window destroys it; its destruction frees the window's GDI objects and asks the
// main loop to end with exit code 0.
void handleClose();
void handleDestroy();
