// The main window as the rest of the viewer sees it: its handle, how it is made, and the
// platform operations its message handling asks for.
#pragma once

#include <cstdint>

// An opaque platform window handle (HWND on Windows).
using WindowHandle = void*;

// A rectangle in client pixels of the main window, which are the picture's pixels. The origin
// stays signed 32-bit: it may lie left of or above the client area, and on a monitor left of or
// above the primary one its screen position is negative.
struct ClientArea {
    std::int32_t x;
    std::int32_t y;
    std::uint16_t width;
    std::uint16_t height;

    bool operator==(const ClientArea&) const = default;
};

// Set when the window receives its creation message; null until then.
extern WindowHandle mainWindow;

// Makes the button font and background brush, registers the window class and creates the
// visible main window with its capture button. On return mainWindow is set, or stays null
// when the window could not be made.
void createMainWindow();

// Destroys the main window; its destruction message follows.
void destroyMainWindow();

// Deletes the button font and the background brush made by createMainWindow.
void deleteWindowResources();

// Draws the window's own controls into the picture about to be presented, through the
// graphics verbs, so that a capture of their area shows them as on the screen: the SDL window
// system's capture button. Nothing where the controls are child windows over the picture
// (Windows).
void drawWindowControls();

// True while the main window is minimised: nobody sees it, so no frame needs drawing.
bool mainWindowIsMinimised();
