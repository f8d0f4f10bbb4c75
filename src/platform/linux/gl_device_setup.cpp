// Start-up of the Linux graphics: implements the creating operations of gfx/graphics.h except
// the font (ft_font.cpp). The "device" is an OpenGL 3.3 core context on the SDL window with
// the off-screen frame buffer the picture is drawn into and the two shader programs that give
// Direct3D 9's fixed-function meaning to the core's drawing. COM and DirectInput have no
// counterpart: their calls succeed and make nothing. Links SDL2 and libepoxy.

#include "gfx/graphics.h"

#include "gl_device.h"
#include "linux_platform.h"

#include <SDL.h>

#include <string>

DeviceObject* currentDevice = nullptr;

// Stand-ins for the Direct3D and DirectInput objects: the core only tests them for null.
struct Direct3DObject {};
struct InputObject {};

namespace {

constexpr GraphicsResult graphicsFailed = static_cast<GraphicsResult>(0x80004005); // E_FAIL

Direct3DObject direct3dObject;
InputObject inputObject;

// ---------------------------------------------------------------------------------------------
// The picture's frame buffer

bool createFrameBuffer(DeviceObject& device) {
    glGenFramebuffers(1, &device.frameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, device.frameBuffer);
    glGenRenderbuffers(1, &device.colorBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, device.colorBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, device.width, device.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              device.colorBuffer);
    glGenRenderbuffers(1, &device.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, device.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, device.width, device.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              device.depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        noteStartUpFailure("OpenGL cannot draw into an off-screen frame buffer");
        return false;
    }
    return true;
}

// Direct3D's defaults for what the core never sets: depth test less-or-equal with writes,
// clockwise front faces with counter-clockwise ones culled, no dithering.
void setFixedState(const DeviceObject& device) {
    glViewport(0, 0, device.width, device.height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glDisable(GL_DITHER);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

void setIdentity(Matrix& matrix) {
    matrix = Matrix{};
    for (int i = 0; i < 4; ++i) {
        matrix.m[i][i] = 1.0f;
    }
}

DeviceObject* createDevice(SDL_Window* window, const PresentParameters& parameters) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        noteStartUpFailure(std::string("no OpenGL 3.3 context: ") + SDL_GetError());
        return nullptr;
    }
    auto* device = new DeviceObject;
    device->window = window;
    device->context = context;
    device->width = static_cast<int>(parameters.backBufferWidth);
    device->height = static_cast<int>(parameters.backBufferHeight);
    setIdentity(device->world);
    setIdentity(device->view);
    setIdentity(device->projection);
    if (!createFrameBuffer(*device) || !createPrograms(*device)) {
        SDL_GL_DeleteContext(context);
        delete device;
        return nullptr;
    }
    setFixedState(*device);
    // Present waits for the retrace where the driver can; where it cannot, present paces
    // itself (gl_graphics.cpp).
    const char* unpaced = SDL_getenv("VIEWER_UNPACED");
    device->unpaced = unpaced != nullptr && std::string(unpaced) == "1";
    SDL_GL_SetSwapInterval(device->unpaced ? 0 : 1);
    return device;
}

} // namespace

bool createPrograms(DeviceObject& device) {
    if (!buildLitProgram(device.lit) || !buildScreenProgram(device.screen)) {
        return false;
    }
    glGenVertexArrays(1, &device.screenVertexArray);
    glGenBuffers(1, &device.scratchBuffer);
    return true;
}
void initializeCom() {}

Direct3DHandle createDirect3D() {
    return &direct3dObject;
}

GraphicsResult createDirect3DDevice(Direct3DHandle direct3d, std::uint32_t, DeviceType,
                                    WindowHandle focusWindow, std::uint32_t,
                                    PresentParameters& parameters, DeviceHandle& device) {
    device = nullptr;
    if (direct3d == nullptr || focusWindow == nullptr || sdlMainWindow() == nullptr) {
        noteStartUpFailure("no window to draw into");
        return graphicsFailed;
    }
    currentDevice = createDevice(sdlMainWindow(), parameters);
    device = currentDevice;
    return device != nullptr ? graphicsOk : graphicsFailed;
}

GraphicsResult directInput8Create(std::uint32_t, InputHandle& input) {
    input = &inputObject;
    return graphicsOk;
}

// An OpenGL context is not lost the way a Direct3D 9 device is: the device always answers
// that it can draw, and a reset has nothing to do.
GraphicsResult testCooperativeLevel(DeviceHandle) {
    return graphicsOk;
}

GraphicsResult resetDevice(DeviceHandle, const PresentParameters&) {
    return graphicsOk;
}

// The context and its objects go with the window when the process ends; the input and
// Direct3D stand-ins hold nothing.
void releaseDevice(DeviceHandle) {}
void releaseDirect3D(Direct3DHandle) {}
// The native entry says why in its own words (sdl_main.cpp): one line is enough.
void reportGraphicsFailure(const char*, GraphicsResult) {}
void releaseInput(InputHandle) {}
