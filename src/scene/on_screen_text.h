// The help text, the key legend line and the value line drawn over every frame.
#pragma once

void drawOnScreenText();
