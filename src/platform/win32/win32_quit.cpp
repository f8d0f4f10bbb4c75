// Windows quit request: posts WM_QUIT with the exit code to the viewer's thread.

#include "state/quit_request.h"

#include <windows.h>

void requestQuit(int exitCode) {
    PostQuitMessage(exitCode);
}
