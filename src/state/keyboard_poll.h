// The per-frame keyboard poll: samples the held keys once and changes the viewer state by a
// fixed step per frame for each of them.
#pragma once

void pollKeyboard();

// Escape and Enter alone, for a pass of the loop that draws nothing (the device is lost): the
// viewer can still be quit and can still capture, but nothing moves.
void pollCommandKeys();
