// What the SDL window system's files share: the main window and the handling of its events
// (sdl_window.cpp).
#pragma once

struct SDL_Window;
union SDL_Event;

// The main window made by createMainWindow; null when it could not be made.
SDL_Window* sdlMainWindow();

// Handles a window, mouse or drop event of the main window.
void handleWindowEvent(const SDL_Event& event);
