#include "scene/frame.h"

// Nothing is drawn yet.
void renderFrame() {}
void composeFrame() {}
void setUpLight() {}
