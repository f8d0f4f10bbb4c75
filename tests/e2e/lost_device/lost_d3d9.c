/* A stand-in for d3d9.dll that makes a windowed device lost on cue, for the lost-device
 * scenario: Wine never loses a windowed device by itself.
 *
 * It forwards Direct3DCreate9 to the real d3d9.dll and replaces four entries of the real
 * objects' tables: CreateDevice (to reach the device), Present and TestCooperativeLevel
 * (answered as a lost device would answer them) and Reset (forwarded, and its result logged).
 *
 * While the file "lose-device" exists in the working folder, Present and
 * TestCooperativeLevel answer D3DERR_DEVICELOST. Once it is gone, TestCooperativeLevel
 * answers D3DERR_DEVICENOTRESET until a Reset succeeds. The real Reset refuses while a
 * default-pool object is alive, so a logged "reset 0" shows that the viewer released them.
 *
 * Every event is appended to "lost-device.log": "lost" when the first Present is refused,
 * "check" per TestCooperativeLevel answered as lost or not reset (the viewer's loop while it
 * presents no frames), "reset <result>" per Reset, and on each successful reset the number of
 * Present and TestCooperativeLevel calls made while the device was lost or not reset, and for
 * how many milliseconds.
 *
 * Build: x86_64-w64-mingw32-gcc -shared -O2 -o lost.dll lost_d3d9.c
 */

#include <windows.h>

#include <d3d9.h>
#include <stdio.h>
#include <string.h>

typedef IDirect3D9*(WINAPI* CreateFunction)(UINT);

/* The real objects' tables of methods, as they were before the entries were replaced. */
static IDirect3D9Vtbl real;
static IDirect3DDevice9Vtbl realDevice;

enum State { drawing, lost, notReset };
static enum State state = drawing;
static long presentsWhileLost, testsWhileLost;
static ULONGLONG lostAt;

static void logLine(const char* format, long a, long b, long c) {
    FILE* log = fopen("lost-device.log", "a");
    if (log != NULL) {
        fprintf(log, format, a, b, c);
        fclose(log);
    }
}

static void updateState(void) {
    const BOOL trigger = GetFileAttributesA("lose-device") != INVALID_FILE_ATTRIBUTES;
    if (state == drawing && trigger) {
        state = lost;
        presentsWhileLost = testsWhileLost = 0;
        lostAt = GetTickCount64();
        logLine("lost\n", 0, 0, 0);
    } else if (state == lost && !trigger) {
        state = notReset;
    }
}

static HRESULT STDMETHODCALLTYPE present(IDirect3DDevice9* device, const RECT* source,
                                         const RECT* destination, HWND window,
                                         const RGNDATA* dirty) {
    updateState();
    if (state != drawing) {
        ++presentsWhileLost;
        return D3DERR_DEVICELOST;
    }
    return realDevice.Present(device, source, destination, window, dirty);
}

static HRESULT STDMETHODCALLTYPE testCooperativeLevel(IDirect3DDevice9* device) {
    updateState();
    if (state == drawing) {
        return realDevice.TestCooperativeLevel(device);
    }
    ++testsWhileLost;
    logLine("check\n", 0, 0, 0);
    return state == lost ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
}

static HRESULT STDMETHODCALLTYPE reset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* params) {
    if (state == lost) {
        logLine("reset refused: still lost\n", 0, 0, 0);
        return D3DERR_DEVICELOST;
    }
    const HRESULT result = realDevice.Reset(device, params);
    logLine("reset %lx\n", (long)result, 0, 0);
    if (SUCCEEDED(result) && state == notReset) {
        state = drawing;
        logLine("calls while lost: present %ld, test %ld, ms %ld\n", presentsWhileLost,
                testsWhileLost, (long)(GetTickCount64() - lostAt));
    }
    return result;
}

/* Keeps a copy of a read-only table of methods and makes it writable. */
static void unlock(void* table, void* copy, size_t size) {
    DWORD protection;
    memcpy(copy, table, size);
    VirtualProtect(table, size, PAGE_READWRITE, &protection);
}

static HRESULT STDMETHODCALLTYPE createDevice(IDirect3D9* direct3d, UINT adapter, D3DDEVTYPE type,
                                              HWND window, DWORD flags,
                                              D3DPRESENT_PARAMETERS* params,
                                              IDirect3DDevice9** device) {
    const HRESULT result =
        real.CreateDevice(direct3d, adapter, type, window, flags, params, device);
    if (SUCCEEDED(result) && realDevice.Present == NULL) {
        IDirect3DDevice9Vtbl* table = (IDirect3DDevice9Vtbl*)(*device)->lpVtbl;
        unlock(table, &realDevice, sizeof realDevice);
        table->TestCooperativeLevel = testCooperativeLevel;
        table->Reset = reset;
        table->Present = present;
    }
    return result;
}

__declspec(dllexport) IDirect3D9* WINAPI Direct3DCreate9(UINT version) {
    const CreateFunction create =
        (CreateFunction)(void*)GetProcAddress(LoadLibraryA("d3d9.dll"), "Direct3DCreate9");
    IDirect3D9* direct3d = create != NULL ? create(version) : NULL;
    if (direct3d != NULL && real.CreateDevice == NULL) {
        IDirect3D9Vtbl* table = (IDirect3D9Vtbl*)direct3d->lpVtbl;
        unlock(table, &real, sizeof real);
        table->CreateDevice = createDevice;
    }
    return direct3d;
}
