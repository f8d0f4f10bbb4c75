// The help text, the key legend line and the value line drawn over every frame with the
// text font.
#pragma once

void drawOnScreenText();

// The help text starts three quarters down the picture.
int helpTextTop(int pictureHeight);
