// The per-frame keyboard poll: samples the held keys once and changes the viewer state by a
// fixed step per frame for each of them.
#pragma once

void pollKeyboard();
