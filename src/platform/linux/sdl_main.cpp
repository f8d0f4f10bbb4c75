// Linux process entry: start-up, the event loop, shutdown. Whenever no event is waiting one
// frame runs; the quit request's event ends the loop and its code becomes the exit code. A
// start-up that cannot make the window, the OpenGL context or the font ends the process with
// exit code 1 and one line on standard error saying why. Links SDL2.

#define SDL_MAIN_HANDLED

#include "app/app.h"
#include "linux_platform.h"
#include "sdl_quit_event.h"

#include <SDL.h>

#include <cstdio>

namespace {

constexpr int startUpFailed = 1;

// Handles every waiting event and runs a frame when none is left; returns the exit code the
// quit request carries.
int runEventLoop() {
    SDL_Event event;
    for (;;) {
        if (SDL_PollEvent(&event)) {
            if (isQuitRequest(event)) {
                return event.user.code;
            }
            handleWindowEvent(event);
            continue;
        }
        runFrame();
    }
}

} // namespace

int main() {
    SDL_SetMainReady();
    if (!startUp()) {
        std::fprintf(stderr, "viewer: cannot start: %s\n", startUpFailureReason().c_str());
        return startUpFailed;
    }
    const int exitCode = runEventLoop();
    releaseScene();
    return exitCode;
}
