// Waiting without spinning, for passes of the loop that draw nothing.
#pragma once

// Returns when a window message arrives or after the given time, whichever comes first.
void waitForMessageOrTimeout(int milliseconds);
