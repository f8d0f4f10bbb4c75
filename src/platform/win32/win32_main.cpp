// Windows process entry: start-up, the message loop, shutdown. Whenever the queue is empty one
// frame runs; WM_QUIT ends the loop and its wParam becomes the exit code, once the scene and
// the graphics are released. A start-up that cannot make the graphics ends the process with
// exit code 1 and one line on standard error (a console, or Wine's terminal) saying why.

#include "app/app.h"
#include "app/startup_failure.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT startUpFailed = 1;

// Dispatches every waiting message and runs a frame when none is left; returns the exit code
// carried by WM_QUIT.
UINT runMessageLoop() {
    MSG message{};
    for (;;) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return static_cast<UINT>(message.wParam);
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
            continue;
        }
        runFrame();
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (!startUp()) {
        std::fprintf(stderr, "viewer: cannot start: %s\n", startUpFailureReason().c_str());
        ExitProcess(startUpFailed);
    }
    const UINT exitCode = runMessageLoop();
    releaseScene();
    ExitProcess(exitCode);
}
