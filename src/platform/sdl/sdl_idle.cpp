// Waiting without spinning while the window is minimised: implements app/idle_wait.h and
// mainWindowIsMinimised of window/main_window.h. Links SDL2.

#include "app/idle_wait.h"
#include "window/main_window.h"

#include "sdl_window.h"

#include <SDL.h>

void waitForMessageOrTimeout(int milliseconds) {
    SDL_WaitEventTimeout(nullptr, milliseconds); // the event stays queued for the loop
}

bool mainWindowIsMinimised() {
    SDL_Window* window = sdlMainWindow();
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}
