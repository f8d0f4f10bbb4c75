/* A stand-in for d3d9.dll that makes a windowed device lost on cue, for the lost-device
 * scenario: Wine never loses a windowed device by itself.
 *
 * It forwards Direct3DCreate9 to the real d3d9.dll and replaces three entries of the real
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

typedef IDirect3D9*(WINAPI* CreateFunction)(UINT);
typedef HRESULT(STDMETHODCALLTYPE* CreateDeviceFunction)(IDirect3D9*, UINT, D3DDEVTYPE, HWND,
                                                         DWORD, D3DPRESENT_PARAMETERS*,
                                                         IDirect3DDevice9**);
typedef HRESULT(STDMETHODCALLTYPE* PresentFunction)(IDirect3DDevice9*, const RECT*, const RECT*,
                                                    HWND, const RGNDATA*);
typedef HRESULT(STDMETHODCALLTYPE* TestFunction)(IDirect3DDevice9*);
typedef HRESULT(STDMETHODCALLTYPE* ResetFunction)(IDirect3DDevice9*, D3DPRESENT_PARAMETERS*);

static CreateDeviceFunction realCreateDevice;
static PresentFunction realPresent;
static TestFunction realTestCooperativeLevel;
static ResetFunction realReset;

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
    return realPresent(device, source, destination, window, dirty);
}

static HRESULT STDMETHODCALLTYPE testCooperativeLevel(IDirect3DDevice9* device) {
    updateState();
    if (state == drawing) {
        return realTestCooperativeLevel(device);
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
    const HRESULT result = realReset(device, params);
    logLine("reset %lx\n", (long)result, 0, 0);
    if (SUCCEEDED(result) && state == notReset) {
        state = drawing;
        logLine("calls while lost: present %ld, test %ld, ms %ld\n", presentsWhileLost,
                testsWhileLost, (long)(GetTickCount64() - lostAt));
    }
    return result;
}

/* Writes one entry of a read-only table of methods, keeping the old one. */
static void replaceMethod(void** table, size_t index, void* replacement, void** original) {
    DWORD protection;
    *original = table[index];
    VirtualProtect(&table[index], sizeof(void*), PAGE_READWRITE, &protection);
    table[index] = replacement;
    VirtualProtect(&table[index], sizeof(void*), protection, &protection);
}

/* Entries of IDirect3DDevice9's table: 3 TestCooperativeLevel, 16 Reset, 17 Present. */
static HRESULT STDMETHODCALLTYPE createDevice(IDirect3D9* direct3d, UINT adapter, D3DDEVTYPE type,
                                              HWND window, DWORD flags,
                                              D3DPRESENT_PARAMETERS* params,
                                              IDirect3DDevice9** device) {
    const HRESULT result =
        realCreateDevice(direct3d, adapter, type, window, flags, params, device);
    if (SUCCEEDED(result) && realPresent == NULL) {
        void** table = *(void***)*device;
        replaceMethod(table, 3, (void*)testCooperativeLevel, (void**)&realTestCooperativeLevel);
        replaceMethod(table, 16, (void*)reset, (void**)&realReset);
        replaceMethod(table, 17, (void*)present, (void**)&realPresent);
    }
    return result;
}

/* Entry 16 of IDirect3D9's table is CreateDevice. */
__declspec(dllexport) IDirect3D9* WINAPI Direct3DCreate9(UINT version) {
    const CreateFunction create =
        (CreateFunction)(void*)GetProcAddress(LoadLibraryA("d3d9.dll"), "Direct3DCreate9");
    IDirect3D9* direct3d = create != NULL ? create(version) : NULL;
    if (direct3d != NULL && realCreateDevice == NULL) {
        replaceMethod(*(void***)direct3d, 16, (void*)createDevice, (void**)&realCreateDevice);
    }
    return direct3d;
}
