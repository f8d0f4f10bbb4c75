// What the Linux platform files share apart from the graphics device: the SDL window, the
// capture button drawn into the picture, and the reason a start-up failed.
#pragma once

#include "app/startup_failure.h"

#include <string>
#include <string_view>

struct SDL_Window;
union SDL_Event;

// The main window made by createMainWindow; null when it could not be made.
SDL_Window* sdlMainWindow();

// Handles a window, mouse or drop event of the main window.
void handleWindowEvent(const SDL_Event& event);

// Draws the capture button into the picture about to be presented (sdl_window.cpp): a child
// window on Windows lies over the picture in the same way, and a capture of the area shows it.
void drawCaptureButton();

// Code page 932 bytes (the core's texts and file names) to UTF-8 and back, through iconv.
// A byte sequence that does not convert is left out.
std::string utf8FromCp932(std::string_view text);
std::string cp932FromUtf8(std::string_view text);
// Code page 932 bytes to Unicode code points, for laying out text.
std::u32string codePointsFromCp932(std::string_view text);
