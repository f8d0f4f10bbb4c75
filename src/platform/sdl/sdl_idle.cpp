// Waiting without spinning while the window is minimised, and the sign of a capture that
// wrote no file. Links SDL2.

#include "app/idle_wait.h"
#include "capture/capture.h"
#include "window/main_window.h"

#include "sdl_window.h"

#include <SDL.h>

#include <cstdio>

void waitForMessageOrTimeout(int milliseconds) {
    SDL_WaitEventTimeout(nullptr, milliseconds); // the event stays queued for the loop
}

bool mainWindowIsMinimised() {
    SDL_Window* window = sdlMainWindow();
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

// There is no system beep to ask for here: the terminal's bell and a line on standard error.
void signalCaptureFailed() {
    std::fputs("\acapture: no file was written\n", stderr);
}
