// Waiting without spinning while the window is minimised: implements app/idle_wait.h and
// mainWindowIsMinimised of window/main_window.h.

#include "app/idle_wait.h"
#include "window/main_window.h"

#include <windows.h>

void waitForMessageOrTimeout(int milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
}

bool mainWindowIsMinimised() {
    return IsIconic(static_cast<HWND>(mainWindow)) != 0;
}
