#include "capture/capture.h"

// The screen grab and the BMP writer are not built yet: a capture does nothing for now.
void captureFilterArea() {}
