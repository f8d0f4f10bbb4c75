// Copies the screen area under the filter rectangle into the next numbered BMP file. Run by
// the Enter key and by the capture button; it never fails towards its caller.
#pragma once

void captureFilterArea();
