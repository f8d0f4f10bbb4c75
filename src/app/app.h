// Start-up, the work of one frame, and shutdown. The platform's entry runs them around its
// message loop: a frame runs whenever no window message is waiting.
#pragma once

// The model's file name, set once before the scene is made.
constexpr int modelFileNameSize = 256;
extern char modelFileName[modelFileNameSize];

// Creates the main window, then the scene. False when the graphics could not be set up; the
// process must then end with exit code 1.
bool startUp();

// Makes the graphics, shows the cursor, then creates and loads the three scene objects and
// sets the light. False, with nothing created and what the graphics set-up made released,
// when the graphics could not be set up.
bool setUpScene();

// One frame: the keyboard poll, then the picture. While the window is minimised nothing is
// polled or drawn; while the device is lost only Escape and Enter are read, nothing is drawn,
// and the device is reset as soon as it can be. Both wait for a message or a short time
// instead of spinning.
void runFrame();

// Destroys the filter, the wall and the model, in that order, then releases the graphics.
void releaseScene();
