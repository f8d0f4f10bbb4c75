#include "gfx/graphics_setup.h"

// No device is made yet: start-up goes on without one.
bool setUpGraphics(WindowHandle, int, int) {
    return true;
}
