// The help text, the key legend line and the value line drawn over every frame with the
// text font.
#pragma once

void drawOnScreenText();
