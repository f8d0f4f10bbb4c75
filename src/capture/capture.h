// Copies the screen area under the filter rectangle into the next numbered BMP file. Run by
// the Enter key and by the capture button; it never fails towards its caller.
#pragma once

void captureFilterArea();

// The platform's sign to the user that a capture wrote no file (a beep on Windows): it must
// change nothing in the picture, since the next capture would record it.
void signalCaptureFailed();
