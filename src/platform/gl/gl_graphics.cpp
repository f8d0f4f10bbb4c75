// OpenGL graphics: implements the device, frame, light and camera verbs of gfx/graphics.h
// (setUpGraphics, releaseGraphics, beginFrame, endFrame, restoreGraphics, setLight,
// setViewMatrix, setProjectionMatrix). The device is an OpenGL 3.3 core context on the SDL
// window, drawn into straight (gl_graphics.h), with the lit and screen programs and the text
// font; gl_meshes.cpp, gl_textures.cpp, gl_screen.cpp and gl_text.cpp do the drawing. There is
// no input object to make: SDL reads the keys. Links SDL2 and libepoxy.

#include "gl_graphics.h"
#include "app/startup_failure.h"

#include <SDL.h>

#include <cstdio>
#include <string>

Picture picture;
LitScene litScene;

namespace {

constexpr int defaultRefreshRate = 60;

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool contextLost = false;
std::uint64_t nextFrameDue = 0; // performance counter ticks
// For benchmarks (VIEWER_UNPACED=1): no frame pacing, and the frame rate of every second on
// standard error, as Wine's fps channel reports it for the Windows build.
bool unpaced = false;
std::uint64_t secondStarted = 0;
int framesThisSecond = 0;

// ---------------------------------------------------------------------------------------------
// Set-up

// What no verb changes: Direct3D's less-or-equal depth test, back faces culled where culling
// is on, no dithering, and rows of texels packed without padding.
void setFixedState() {
    glDepthFunc(GL_LEQUAL);
    glCullFace(GL_BACK);
    glDisable(GL_DITHER);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

// A context the driver has reset (after a fault of the graphics processor) has lost all its
// objects and cannot be brought back here. Only a context with robustness can tell; which query
// it offers is looked up once.
GLenum coreResetStatus() {
    return glGetGraphicsResetStatus();
}

GLenum arbResetStatus() {
    return glGetGraphicsResetStatusARB();
}

GLenum (*resetStatus)() = nullptr;

void chooseResetQuery() {
    if (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_KHR_robustness")) {
        resetStatus = coreResetStatus;
    } else if (epoxy_has_gl_extension("GL_ARB_robustness")) {
        resetStatus = arbResetStatus;
    }
}

bool createContext(WindowHandle windowHandle) {
    window = static_cast<SDL_Window*>(windowHandle);
    if (window == nullptr) {
        noteStartUpFailure("no window to draw into");
        return false;
    }
    context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        noteStartUpFailure(std::string("no OpenGL 3.3 context: ") + SDL_GetError());
        return false;
    }
    // The swap waits for the retrace where the driver can; where it cannot, endFrame paces
    // itself.
    const char* unpacedSetting = SDL_getenv("VIEWER_UNPACED");
    unpaced = unpacedSetting != nullptr && std::string(unpacedSetting) == "1";
    SDL_GL_SetSwapInterval(unpaced ? 0 : 1);
    setFixedState();
    chooseResetQuery();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Presenting

void countFrame() {
    const std::uint64_t now = SDL_GetPerformanceCounter();
    ++framesThisSecond;
    if (secondStarted == 0) {
        secondStarted = now;
    } else if (now - secondStarted >= SDL_GetPerformanceFrequency()) {
        const double seconds = static_cast<double>(now - secondStarted) /
                               static_cast<double>(SDL_GetPerformanceFrequency());
        std::fprintf(stderr, "approx %.2ffps\n", framesThisSecond / seconds);
        secondStarted = now;
        framesThisSecond = 0;
    }
}

// The display's refresh rate, or 60 Hz where the display does not say (a virtual one).
int refreshRate() {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
        return mode.refresh_rate;
    }
    return defaultRefreshRate;
}

// Sleeps until the next retrace's slot when the swap did not wait for it (a virtual display,
// software rendering), so that the per-frame steps of held keys run at the display's speed, as
// the Windows build's present paces them. After a swap that did wait, the slot is already due.
void paceFrame() {
    const std::uint64_t frequency = SDL_GetPerformanceFrequency();
    const std::uint64_t interval = frequency / static_cast<std::uint64_t>(refreshRate());
    const std::uint64_t now = SDL_GetPerformanceCounter();
    if (nextFrameDue > now) {
        // Rounded up to whole milliseconds: a frame may come up to one late, never early.
        SDL_Delay(static_cast<Uint32>(((nextFrameDue - now) * 1000 + frequency - 1) / frequency));
    }
    const std::uint64_t presented = SDL_GetPerformanceCounter();
    // A frame that came late starts a new schedule instead of hurrying to catch up.
    nextFrameDue =
        nextFrameDue + interval > presented ? nextFrameDue + interval : presented + interval;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The device

bool setUpGraphics(WindowHandle windowHandle, int width, int height) {
    matrixIdentity(litScene.view);
    matrixIdentity(litScene.projection);
    picture = {width, height};
    return createContext(windowHandle) && buildLitProgram(litScene.program) &&
           setUpScreenDrawing() && openTextFont();
}

// What was made in the context goes before the context; the window itself stays until the
// process ends (sdl_window.cpp).
void releaseGraphics() {
    if (context == nullptr) {
        return;
    }
    closeTextFont();
    releaseScreenDrawing();
    glDeleteProgram(litScene.program.name);
    litScene = {};
    picture = {};
    SDL_GL_DeleteContext(context);
    context = nullptr;
}

void beginFrame(std::uint32_t clearColor) {
    glViewport(0, 0, picture.width, picture.height);
    glClearColor(static_cast<float>((clearColor >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((clearColor >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(clearColor & 0xFF) / 255.0f,
                 static_cast<float>(clearColor >> 24) / 255.0f);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The texts, queued until now, go into the picture before the capture's area is kept, so a
// capture of their area shows them.
bool endFrame(const ClientArea& captureArea) {
    drawQueuedQuads();
    keepCaptureArea(captureArea);
    SDL_GL_SwapWindow(window);
    if (unpaced) {
        countFrame();
    } else {
        paceFrame();
    }
    return restoreGraphics();
}

bool restoreGraphics() {
    contextLost = contextLost || (resetStatus != nullptr && resetStatus() != GL_NO_ERROR);
    return !contextLost;
}

// ---------------------------------------------------------------------------------------------
// Light and camera, kept for drawMesh

void setLight(const DirectionalLight& light) {
    litScene.light = light;
}

void setViewMatrix(const Matrix& view) {
    litScene.view = view;
}

void setProjectionMatrix(const Matrix& projection) {
    litScene.projection = projection;
}
