// The threads that making the Direct3D device started. Under Wine the device's command thread
// ends on its own after the device's last release, a moment later; a process that ends while
// that thread is still ending is killed instead of exiting with its code. The viewer waits for
// these threads when it releases the graphics (releaseGraphics).
#pragma once

#include <windows.h>

#include <vector>

// The ids of this process's threads now.
std::vector<DWORD> threadsOfThisProcess();

// Remembers the threads of this process that are not among those listed before.
void rememberThreadsStartedSince(const std::vector<DWORD>& before);

// Waits until every remembered thread has ended, or for at most the given time.
void waitForRememberedThreadsToEnd(DWORD milliseconds);
