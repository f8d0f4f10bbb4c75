// Threads started while the device was made, and the wait for their end at quit.

#include "platform/d3d9/device_threads.h"

#include <tlhelp32.h>

#include <algorithm>

namespace {

std::vector<DWORD> rememberedThreads;

} // namespace

std::vector<DWORD> threadsOfThisProcess() {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return ids;
    }
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    const DWORD process = GetCurrentProcessId();
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == process) {
            ids.push_back(entry.th32ThreadID);
        }
    }
    CloseHandle(snapshot);
    return ids;
}

void rememberThreadsStartedSince(const std::vector<DWORD>& before) {
    for (DWORD id : threadsOfThisProcess()) {
        if (std::find(before.begin(), before.end(), id) == before.end()) {
            rememberedThreads.push_back(id);
        }
    }
}

void waitForRememberedThreadsToEnd(DWORD milliseconds) {
    std::vector<HANDLE> running;
    for (DWORD id : rememberedThreads) {
        // A thread that has already ended cannot be opened (or its id now names another
        // process's thread, which this process may not wait for): nothing to wait for.
        if (HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id)) {
            running.push_back(thread);
        }
    }
    if (!running.empty() && running.size() <= MAXIMUM_WAIT_OBJECTS) {
        WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), TRUE,
                               milliseconds);
    }
    for (HANDLE thread : running) {
        CloseHandle(thread);
    }
}
