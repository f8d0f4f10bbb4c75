#include "gfx/graphics_setup.h"

#include <array>

Direct3DHandle direct3d = nullptr;
DeviceHandle device = nullptr;
FontHandle textFont = nullptr;
InputHandle directInput = nullptr;
PresentParameters presentParameters{};

namespace {

struct DeviceAttempt {
    DeviceType type;
    std::uint32_t behaviourFlags;
};

// Tried in this order; the first device that can be made is kept.
constexpr std::array<DeviceAttempt, 3> deviceAttempts = {{
    {deviceTypeHal, hardwareVertexProcessing},
    {deviceTypeHal, softwareVertexProcessing},
    {deviceTypeRef, softwareVertexProcessing},
}};

constexpr std::uint32_t directInputVersion = 0x0800;
constexpr std::int32_t textFontHeight = 14;
constexpr std::uint32_t fontWeightNormal = 400;
constexpr std::uint8_t shiftJisCharset = 128;

// Always false, for the set-up steps to return.
bool reportFailure(const char* part, GraphicsResult result) {
    reportGraphicsFailure(part, result);
    return false;
}

} // namespace

PresentParameters presentParametersFor(WindowHandle window, int width, int height) {
    PresentParameters parameters{};
    parameters.backBufferWidth = static_cast<std::uint32_t>(width);
    parameters.backBufferHeight = static_cast<std::uint32_t>(height);
    parameters.backBufferFormat = formatR5G6B5;
    parameters.backBufferCount = 1;
    parameters.swapEffect = swapEffectDiscard;
    parameters.deviceWindow = window;
    parameters.windowed = true;
    parameters.enableAutoDepthStencil = true;
    parameters.autoDepthStencilFormat = formatD16;
    parameters.presentationInterval = presentIntervalOne;
    return parameters;
}

FontDescription textFontDescription() {
    FontDescription description{};
    description.height = textFontHeight;
    description.weight = fontWeightNormal;
    description.charSet = shiftJisCharset;
    return description;
}

bool createDevice(WindowHandle window, int width, int height) {
    direct3d = createDirect3D();
    if (direct3d == nullptr) {
        return reportFailure("the Direct3D object", graphicsOk);
    }
    presentParameters = presentParametersFor(window, width, height);
    GraphicsResult result = graphicsOk;
    for (const DeviceAttempt& attempt : deviceAttempts) {
        result = createDirect3DDevice(direct3d, defaultAdapter, attempt.type, window,
                                      attempt.behaviourFlags, presentParameters, device);
        if (result == graphicsOk) {
            return true;
        }
    }
    return reportFailure("the Direct3D device", result);
}

bool createTextFont() {
    const GraphicsResult result = createFontIndirect(device, textFontDescription(), textFont);
    return result == graphicsOk || reportFailure("the text font", result);
}

bool createDirectInput() {
    const GraphicsResult result = directInput8Create(directInputVersion, directInput);
    return result == graphicsOk || reportFailure("the keyboard input object", result);
}

bool setUpGraphics(WindowHandle window, int width, int height) {
    initializeCom();
    return createDevice(window, width, height) && createTextFont() && createDirectInput();
}

namespace {

template <typename Handle> void releaseIfMade(Handle& handle, void (*release)(Handle)) {
    if (handle != nullptr) {
        release(handle);
        handle = nullptr;
    }
}

} // namespace

void releaseGraphics() {
    releaseIfMade(directInput, releaseInput);
    releaseIfMade(textFont, releaseFont);
    releaseIfMade(device, releaseDevice);
    releaseIfMade(direct3d, releaseDirect3D);
}

DeviceState queryDeviceState() {
    switch (testCooperativeLevel(device)) {
    case graphicsOk:
        return DeviceState::ready;
    case deviceNotReset:
        return DeviceState::needsReset;
    default:
        return DeviceState::lost;
    }
}

bool reportsLostDevice(GraphicsResult presentResult) {
    return presentResult == deviceLost || presentResult == deviceNotReset;
}

bool resetDeviceWithSameParameters() {
    return resetDevice(device, presentParameters) == graphicsOk;
}
