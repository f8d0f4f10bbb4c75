// Shows the mouse cursor over the viewer's window.
#pragma once

void showMouseCursor();
