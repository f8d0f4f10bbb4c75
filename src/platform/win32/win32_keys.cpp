// Windows key source: answers the keyboard poll's two queries from the thread's queued key
// state and GetAsyncKeyState. Each poll reads the queued state of every key with one
// GetKeyboardState, and asks once whether the viewer is in front: under Wine each key's own
// GetKeyState and GetForegroundWindow is a round trip to the server, and a poll asks about
// seventy times.
//
// Both answer only while one of the viewer's windows is in front. The asynchronous query
// reads the physical keyboard whichever window has the focus, so typing in another program
// would move or recolour the filter; the queued state never sees the release of a key that
// was let go in another window, so the view would keep moving in the background.

#include "state/key_state_source.h"

#include <windows.h>

namespace {

bool viewerInForeground = false;
BYTE queuedKeys[256] = {};

bool viewerIsInForeground() {
    DWORD foregroundProcess = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foregroundProcess);
    return foregroundProcess == GetCurrentProcessId();
}

} // namespace

void sampleKeyboard() {
    viewerInForeground = viewerIsInForeground() && GetKeyboardState(queuedKeys);
}

bool isKeyDownQueued(int virtualKey) {
    return viewerInForeground && virtualKey >= 0 && virtualKey < 256 &&
           (queuedKeys[virtualKey] & 0x80) != 0;
}

bool isKeyDownAsync(int virtualKey) {
    return viewerInForeground && GetAsyncKeyState(virtualKey) < 0;
}
