// Creates, once at start-up, the graphics device for the window, the text font and the input
// object. Reports failure at the first one that cannot be made.
#pragma once

#include "window/main_window.h"

bool setUpGraphics(WindowHandle window, int width, int height);
