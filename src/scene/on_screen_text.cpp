#include "scene/on_screen_text.h"

// The texts are not drawn yet.
void drawOnScreenText() {}
