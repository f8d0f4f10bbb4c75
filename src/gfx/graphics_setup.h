// Creates, once at start-up, the graphics device for the window, the text font and the input
// object, and holds them for the rest of the run; resets a lost device with the parameters it
// was made with; releases them all before the process ends.
#pragma once

#include "gfx/graphics.h"
#include "window/main_window.h"

extern Direct3DHandle direct3d;
extern DeviceHandle device;
extern FontHandle textFont;
extern InputHandle directInput;
// The parameters the device was made with; a reset uses them again.
extern PresentParameters presentParameters;

// COM, then the device, the font and the input object, stopping at the first that cannot be
// made. False when one failed; what was made before it stays.
bool setUpGraphics(WindowHandle window, int width, int height);

// The Direct3D object and a device for the window, trying a hardware, a software and finally
// the reference device. False when the Direct3D object or every device attempt failed.
bool createDevice(WindowHandle window, int width, int height);

bool createTextFont();
bool createDirectInput();

// Releases the input object, the font, the device and the Direct3D object, each that exists.
// Ending the process with them alive can leave Wine's drawing thread busy with the device
// while the process is torn down.
void releaseGraphics();

enum class DeviceState { ready, lost, needsReset };

// Whether the device can draw, must wait, or can be reset now.
DeviceState queryDeviceState();

// Whether a frame's Present result says that the device was lost.
bool reportsLostDevice(GraphicsResult presentResult);

// Resets the device with the parameters it was made with. Default-pool objects must be
// released first. False when the device is still lost or the reset failed.
bool resetDeviceWithSameParameters();

// The device's present parameters: a windowed, 16-bit back buffer of the given size with a
// 16-bit depth buffer, presented once per retrace.
PresentParameters presentParametersFor(WindowHandle window, int width, int height);

// The text font: 14 pixels high, normal weight, chosen by the Shift-JIS character set alone.
FontDescription textFontDescription();
