// Windows process entry: runs the message and frame loop. Whenever the queue is empty one
// frame runs; WM_QUIT ends the loop and its wParam becomes the exit code.

#include "state/keyboard_poll.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MSG message{};
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        pollKeyboard();
    }
    ExitProcess(static_cast<UINT>(message.wParam));
}
