// Start-up of the Windows graphics: implements the creating operations of gfx/graphics.h —
// COM, the Direct3D 9 object, the device, the font (through the helper table: D3DX's or
// ours) and the DirectInput 8 object. The order, the fallback and the parameters are decided
// by gfx/graphics_setup.cpp; this file only makes the calls. It also releases them, and
// resets a lost device. Links ole32, d3d9, dinput8 and dxguid.

#include "gfx/graphics.h"
#include "platform/win32/device_threads.h"
#include "platform/win32/graphics_helpers.h"

#define DIRECTINPUT_VERSION 0x0800
#include <d3d9.h>
#include <dinput.h>
#include <objbase.h>

#include <cstdio>

namespace {

D3DPRESENT_PARAMETERS asRecord(const PresentParameters& parameters) {
    D3DPRESENT_PARAMETERS record{};
    record.BackBufferWidth = parameters.backBufferWidth;
    record.BackBufferHeight = parameters.backBufferHeight;
    record.BackBufferFormat = static_cast<D3DFORMAT>(parameters.backBufferFormat);
    record.BackBufferCount = parameters.backBufferCount;
    record.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(parameters.multiSampleType);
    record.MultiSampleQuality = parameters.multiSampleQuality;
    record.SwapEffect = static_cast<D3DSWAPEFFECT>(parameters.swapEffect);
    record.hDeviceWindow = static_cast<HWND>(parameters.deviceWindow);
    record.Windowed = parameters.windowed ? TRUE : FALSE;
    record.EnableAutoDepthStencil = parameters.enableAutoDepthStencil ? TRUE : FALSE;
    record.AutoDepthStencilFormat = static_cast<D3DFORMAT>(parameters.autoDepthStencilFormat);
    record.Flags = parameters.flags;
    record.FullScreen_RefreshRateInHz = parameters.fullScreenRefreshRateInHz;
    record.PresentationInterval = parameters.presentationInterval;
    return record;
}

} // namespace

void initializeCom() {
    CoInitialize(nullptr);
}

Direct3DHandle createDirect3D() {
    return reinterpret_cast<Direct3DHandle>(Direct3DCreate9(D3D_SDK_VERSION));
}

GraphicsResult createDirect3DDevice(Direct3DHandle direct3d, std::uint32_t adapter, DeviceType type,
                                    WindowHandle focusWindow, std::uint32_t behaviourFlags,
                                    PresentParameters& parameters, DeviceHandle& device) {
    D3DPRESENT_PARAMETERS record = asRecord(parameters);
    IDirect3DDevice9* created = nullptr;
    const std::vector<DWORD> threadsBefore = threadsOfThisProcess();
    const HRESULT result = reinterpret_cast<IDirect3D9*>(direct3d)->CreateDevice(
        adapter, static_cast<D3DDEVTYPE>(type), static_cast<HWND>(focusWindow), behaviourFlags,
        &record, &created);
    rememberThreadsStartedSince(threadsBefore);
    device = reinterpret_cast<DeviceHandle>(SUCCEEDED(result) ? created : nullptr);
    return result;
}

GraphicsResult createFontIndirect(DeviceHandle device, const FontDescription& description,
                                  FontHandle& font) {
    return graphicsHelpers().createFont(reinterpret_cast<IDirect3DDevice9*>(device), description,
                                        font);
}

GraphicsResult directInput8Create(std::uint32_t version, InputHandle& input) {
    void* created = nullptr;
    const HRESULT result = DirectInput8Create(GetModuleHandleA(nullptr), version,
                                              IID_IDirectInput8A, &created, nullptr);
    input = static_cast<InputHandle>(SUCCEEDED(result) ? created : nullptr);
    return result;
}

void releaseInput(InputHandle input) {
    static_cast<IDirectInput8A*>(static_cast<void*>(input))->Release();
}

void releaseFont(FontHandle font) {
    graphicsHelpers().releaseFont(font);
}

void releaseDevice(DeviceHandle device) {
    reinterpret_cast<IDirect3DDevice9*>(device)->Release();
}

void releaseDirect3D(Direct3DHandle direct3d) {
    reinterpret_cast<IDirect3D9*>(direct3d)->Release();
}

// On standard error (a console, or Wine's terminal), so that a start-up that ends with exit
// code 1 can be told apart.
void reportGraphicsFailure(const char* part, GraphicsResult result) {
    std::fprintf(stderr, "viewer: could not make %s (0x%08lx)\n", part,
                 static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
}

GraphicsResult testCooperativeLevel(DeviceHandle device) {
    return reinterpret_cast<IDirect3DDevice9*>(device)->TestCooperativeLevel();
}

GraphicsResult resetDevice(DeviceHandle device, const PresentParameters& parameters) {
    D3DPRESENT_PARAMETERS record = asRecord(parameters);
    return reinterpret_cast<IDirect3DDevice9*>(device)->Reset(&record);
}

void fontOnLostDevice(FontHandle font) {
    graphicsHelpers().fontOnLostDevice(font);
}

GraphicsResult fontOnResetDevice(FontHandle font) {
    return graphicsHelpers().fontOnResetDevice(font);
}
