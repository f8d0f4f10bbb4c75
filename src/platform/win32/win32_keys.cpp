// Windows key source: answers the keyboard poll's two queries from GetKeyState and
// GetAsyncKeyState. A negative result means the key is down.
//
// Both answer only while one of the viewer's windows is in front. The asynchronous query
// reads the physical keyboard whichever window has the focus, so typing in another program
// would move or recolour the filter; the queued state never sees the release of a key that
// was let go in another window, so the view would keep moving in the background.

#include "state/key_state_source.h"

#include <windows.h>

namespace {

bool viewerIsInForeground() {
    DWORD foregroundProcess = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foregroundProcess);
    return foregroundProcess == GetCurrentProcessId();
}

} // namespace

bool isKeyDownQueued(int virtualKey) {
    return viewerIsInForeground() && GetKeyState(virtualKey) < 0;
}

bool isKeyDownAsync(int virtualKey) {
    return viewerIsInForeground() && GetAsyncKeyState(virtualKey) < 0;
}
