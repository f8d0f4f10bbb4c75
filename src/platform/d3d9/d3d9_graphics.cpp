// Direct3D 9 device: implements setUpGraphics, releaseGraphics, beginFrame, endFrame,
// restoreGraphics, setLight, setViewMatrix and setProjectionMatrix of gfx/graphics.h, and
// finish_frames.h. Makes COM, the Direct3D object, the device (the first of three attempts that
// succeeds), the text font (d3d9_text.cpp) and the DirectInput 8 object; a part that cannot be
// made is reported here, in one line on standard error. Meshes, textures, screen quads and
// texts have files of their own. Links ole32, d3d9, dinput8 and dxguid.

#include "platform/d3d9/d3d9_graphics.h"

#include "app/startup_failure.h"
#include "platform/d3d9/device_threads.h"
#include "platform/d3d9/finish_frames.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>
#include <objbase.h>

#include <cstdio>

IDirect3D9* direct3d = nullptr;
IDirect3DDevice9* device = nullptr;
IDirectInput8A* directInput = nullptr;

namespace {

// The device may write into the parameters it is given: each call gets a copy of these, so that a
// reset asks for what the set-up asked for.
D3DPRESENT_PARAMETERS presentParameters{};

struct DeviceAttempt {
    D3DDEVTYPE type;
    DWORD behaviourFlags;
};

// Tried in this order; the first device that can be made is kept.
constexpr DeviceAttempt deviceAttempts[] = {
    {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
    {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
};

// Lights 0 and 1 are never used.
constexpr DWORD lightIndex = 2;

constexpr DWORD deviceThreadsEndWithin = 1000; // milliseconds

// Always false, for the set-up steps to return.
bool reportFailure(const char* part, HRESULT result) {
    char reason[96];
    std::snprintf(reason, sizeof reason, "could not make %s (0x%08lx)", part,
                  static_cast<unsigned long>(result));
    noteStartUpFailure(reason);
    return false;
}

// A 16-bit back buffer of the picture's size with a 16-bit depth buffer, windowed, presented
// once per display refresh.
D3DPRESENT_PARAMETERS presentParametersFor(WindowHandle window, int width, int height) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = static_cast<UINT>(width);
    parameters.BackBufferHeight = static_cast<UINT>(height);
    parameters.BackBufferFormat = D3DFMT_R5G6B5;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = static_cast<HWND>(window);
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    return parameters;
}

bool createDevice(WindowHandle window, int width, int height) {
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (direct3d == nullptr) {
        return reportFailure("the Direct3D object", D3D_OK);
    }
    presentParameters = presentParametersFor(window, width, height);
    HRESULT result = D3D_OK;
    for (const DeviceAttempt& attempt : deviceAttempts) {
        D3DPRESENT_PARAMETERS parameters = presentParameters;
        const std::vector<DWORD> threadsBefore = threadsOfThisProcess();
        result = direct3d->CreateDevice(D3DADAPTER_DEFAULT, attempt.type, static_cast<HWND>(window),
                                        attempt.behaviourFlags, &parameters, &device);
        rememberThreadsStartedSince(threadsBefore);
        if (SUCCEEDED(result)) {
            return true;
        }
        device = nullptr;
    }
    return reportFailure("the Direct3D device", result);
}

bool createDirectInput() {
    void* created = nullptr;
    const HRESULT result = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                              IID_IDirectInput8A, &created, nullptr);
    if (FAILED(result)) {
        return reportFailure("the keyboard input object", result);
    }
    directInput = static_cast<IDirectInput8A*>(created);
    return true;
}

void recreateDefaultPoolObjects() {
    textFontOnResetDevice();
    recreateQuadVertexBuffers();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up and release

bool setUpGraphics(WindowHandle window, int width, int height) {
    CoInitialize(nullptr);
    if (!createDevice(window, width, height)) {
        return false;
    }
    const HRESULT fontResult = createTextFont();
    if (FAILED(fontResult)) {
        return reportFailure("the text font", fontResult);
    }
    return createDirectInput();
}

// The threads the device started get a moment to end on their own before the process may end
// (device_threads.h).
void releaseGraphics() {
    releaseIfMade(directInput);
    releaseTextFont();
    releaseQuadVertexBuffers();
    releaseIfMade(device);
    releaseIfMade(direct3d);
    waitForRememberedThreadsToEnd(deviceThreadsEndWithin);
}

// ---------------------------------------------------------------------------------------------
// Frame and lost device

void beginFrame(std::uint32_t clearColor) {
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColor, 1.0f, 0);
}

// A lost device must give back its default-pool objects before it can be reset: they go at
// once, and come back with restoreGraphics. The capture reads the screen itself
// (gdi_screen_grab.cpp), so nothing is kept for it here.
bool endFrame(const ClientArea&) {
    endTextBatch();
    device->EndScene();
    const HRESULT result = device->Present(nullptr, nullptr, nullptr, nullptr);
    if (result != D3DERR_DEVICELOST && result != D3DERR_DEVICENOTRESET) {
        return true;
    }
    releaseQuadVertexBuffers();
    textFontOnLostDevice();
    return false;
}

bool restoreGraphics() {
    const HRESULT state = device->TestCooperativeLevel();
    if (state == D3DERR_DEVICENOTRESET) {
        D3DPRESENT_PARAMETERS parameters = presentParameters;
        if (FAILED(device->Reset(&parameters))) {
            return false;
        }
    } else if (state != D3D_OK) {
        return false;
    }
    recreateDefaultPoolObjects();
    return true;
}

void finishHandedFrames() {
    if (device == nullptr) {
        return;
    }
    IDirect3DQuery9* finished = nullptr;
    if (FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &finished))) {
        return;
    }
    finished->Issue(D3DISSUE_END);
    const ULONGLONG giveUpAt = GetTickCount64() + 1000;
    while (finished->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE &&
           GetTickCount64() < giveUpAt) {
        Sleep(1);
    }
    finished->Release();
}

// ---------------------------------------------------------------------------------------------
// Light and camera

void setLight(const DirectionalLight& light) {
    endTextBatch();
    D3DLIGHT9 record{};
    record.Type = D3DLIGHT_DIRECTIONAL;
    record.Diffuse = {light.diffuse.r, light.diffuse.g, light.diffuse.b, light.diffuse.a};
    record.Specular = {light.specular.r, light.specular.g, light.specular.b, light.specular.a};
    record.Ambient = {light.ambient.r, light.ambient.g, light.ambient.b, light.ambient.a};
    record.Direction = {light.direction.x, light.direction.y, light.direction.z};
    device->SetLight(lightIndex, &record);
    device->LightEnable(lightIndex, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

static_assert(sizeof(Matrix) == sizeof(D3DMATRIX));

void setViewMatrix(const Matrix& view) {
    endTextBatch();
    device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&view));
}

void setProjectionMatrix(const Matrix& projection) {
    endTextBatch();
    device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&projection));
}
