// Creates, once at start-up, the graphics device for the window, the text font and the input
// object, and holds them for the rest of the run. Nothing here is ever released: the end of
// the process reclaims it.
#pragma once

#include "gfx/graphics.h"
#include "window/main_window.h"

extern Direct3DHandle direct3d;
extern DeviceHandle device;
extern FontHandle textFont;
extern InputHandle directInput;

// COM, then the device, the font and the input object, stopping at the first that cannot be
// made. False when one failed; what was made before it stays.
bool setUpGraphics(WindowHandle window, int width, int height);

// The Direct3D object and a device for the window, trying a hardware, a software and finally
// the reference device. False when the Direct3D object or every device attempt failed.
bool createDevice(WindowHandle window, int width, int height);

bool createTextFont();
bool createDirectInput();

// The device's present parameters: a windowed, 16-bit back buffer of the given size with a
// 16-bit depth buffer, presented once per retrace.
PresentParameters presentParametersFor(WindowHandle window, int width, int height);

// The text font: 14 pixels high, normal weight, chosen by the Shift-JIS character set alone.
FontDescription textFontDescription();
