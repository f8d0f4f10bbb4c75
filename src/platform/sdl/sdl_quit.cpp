// Linux quit request: pushes an SDL user event carrying the exit code onto the event queue.
// Links SDL2.

#include "state/quit_request.h"

#include "sdl_quit_event.h"

#include <SDL.h>

namespace {

Uint32 quitEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}

} // namespace

void requestQuit(int exitCode) {
    SDL_Event event{};
    event.type = quitEventType();
    event.user.code = exitCode;
    SDL_PushEvent(&event);
}

bool isQuitRequest(const SDL_Event& event) {
    return event.type == quitEventType();
}
