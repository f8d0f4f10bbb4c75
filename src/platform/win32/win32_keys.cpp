// Windows key source: answers the keyboard poll's two queries from GetKeyState and
// GetAsyncKeyState. A negative result means the key is down.
//
// The asynchronous query reads the physical keyboard whichever window has the focus, so it
// answers only while one of the viewer's windows is in front: typing in another program must
// not move or recolour the filter.

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
    return GetKeyState(virtualKey) < 0;
}

bool isKeyDownAsync(int virtualKey) {
    return viewerIsInForeground() && GetAsyncKeyState(virtualKey) < 0;
}
