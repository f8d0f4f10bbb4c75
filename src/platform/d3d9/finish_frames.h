// Waiting for the frames already handed to the device.
#pragma once

// Returns once the device has finished every frame handed to it (or after at most a second,
// or at once when there is no device or it is lost). The capture reads the screen only then:
// the screen then holds the last frame whole, and no drawing runs while it is read. Under Wine
// a screen read while the device's command thread was drawing could hang both threads inside
// the X library.
void finishHandedFrames();
