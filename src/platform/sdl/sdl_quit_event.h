// The quit request travels as an SDL user event through the event queue, as WM_QUIT does on
// Windows, so the loop ends only once it reaches the request.
#pragma once

union SDL_Event;

bool isQuitRequest(const SDL_Event& event);
