// SDL main window: implements window/main_window.h with SDL2 — the window titled in UTF-8 from
// the core's code page 932 title, with exactly the picture's client size and an OpenGL surface;
// the capture button, drawn into the picture through the graphics verbs (drawWindowControls);
// the window's events, handed to the portable message handling as the Windows window procedure
// hands its messages (close, the first path of a drop of files); a click on the button is the
// capture; and the window's icon, the package's icon artwork drawn by the build. Links SDL2 and
// stb.

#include "window/main_window.h"

#include "app/cursor.h"
#include "app/startup_failure.h"
#include "capture/capture.h"
#include "gfx/graphics.h"
#include "iconv_code_page.h"
#include "sdl_window.h"
#include "window/window_layout.h"
#include "window/window_messages.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <stb_image.h>

#include "window_icon_png.h"

#include <string>

namespace {

// The reverse-DNS id of the menu entry, its icon and the software centres' metainfo.
constexpr const char* appId = "org.viewer_project.viewer";

SDL_Window* window = nullptr;
bool closing = false;
bool dropTaken = false;
bool buttonPressed = false;
// The button's quads, made with its first frame (the graphics come after the window).
QuadBufferHandle buttonQuads = nullptr;

// The colours of a raised push button in the classic Windows scheme.
constexpr std::uint32_t buttonFace = 0xFFF0F0F0;
constexpr std::uint32_t buttonHighlight = 0xFFFFFFFF;
constexpr std::uint32_t buttonLight = 0xFFE3E3E3;
constexpr std::uint32_t buttonShadow = 0xFFA0A0A0;
constexpr std::uint32_t buttonDarkShadow = 0xFF696969;
constexpr std::uint32_t buttonText = 0xFF000000;

bool insideButton(int x, int y) {
    return x >= window_layout::captureButtonX &&
           x < window_layout::captureButtonX + window_layout::captureButtonWidth &&
           y >= window_layout::captureButtonY &&
           y < window_layout::captureButtonY + window_layout::captureButtonHeight;
}

void fillRect(int x, int y, int width, int height, std::uint32_t color) {
    drawScreenQuad(buttonQuads,
                   screenQuad(static_cast<float>(x), static_cast<float>(y),
                              static_cast<float>(width), static_cast<float>(height), color),
                   nullptr);
}

// A one-pixel frame: top and left edges in one colour, bottom and right in the other.
void frameRect(int x, int y, int width, int height, std::uint32_t topLeft,
               std::uint32_t bottomRight) {
    fillRect(x, y, width, 1, topLeft);
    fillRect(x, y, 1, height, topLeft);
    fillRect(x, y + height - 1, width, 1, bottomRight);
    fillRect(x + width - 1, y, 1, height, bottomRight);
}

void pressOrReleaseButton(const SDL_MouseButtonEvent& button) {
    if (button.button != SDL_BUTTON_LEFT) {
        return;
    }
    const bool inside = insideButton(button.x, button.y);
    if (button.type == SDL_MOUSEBUTTONDOWN) {
        buttonPressed = inside;
        return;
    }
    const bool clicked = buttonPressed && inside;
    buttonPressed = false;
    if (clicked) {
        captureFilterArea();
    }
}

// Only the first file of a drop is kept, as the Windows build asks for file index 0. A dropped
// text is refused: on Windows only files can be dropped. Every drop event carries SDL's own
// copy of its string (or null), which is freed here.
void takeDroppedFile(const SDL_DropEvent& drop) {
    if (drop.type == SDL_DROPBEGIN || drop.type == SDL_DROPCOMPLETE) {
        dropTaken = false;
    } else if (drop.type == SDL_DROPFILE && drop.file != nullptr && !dropTaken) {
        handleDroppedPath(cp932FromUtf8(drop.file));
        dropTaken = true;
    }
    SDL_free(drop.file);
}

// SDL gives X's WM_NAME the title in the C library's locale, which mangles it outside a
// UTF-8 locale; tools that find the window by its title read WM_NAME. It is set again here as
// UTF8_STRING, which needs no locale.
void setUtf8WindowName(const std::string& title) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
    XChangeProperty(display, info.info.x11.window, XA_WM_NAME,
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    XFlush(display);
}

// The task bar and the window switcher show the same picture as the menu entry. Wayland
// takes the icon from the entry itself, named by the app id; X11 from the window
// (_NET_WM_ICON).
void setWindowIcon() {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(windowIconPng, sizeof windowIconPng, &width, &height, &channels, 4);
    if (pixels == nullptr) {
        return;
    }
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, 32, width * 4,
                                                           SDL_PIXELFORMAT_RGBA32);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
    stbi_image_free(pixels);
}

void closeOnce() {
    if (!closing) {
        closing = true;
        handleClose();
    }
}

// Only a window system that shows the window will do: left to itself SDL falls back to
// drivers that draw nowhere, and the viewer would run unseen. Wayland is tried only where a
// Wayland display is named, so a machine without any display gets one line saying so.
bool startVideoOnADisplay() {
    if (SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER,
                    SDL_getenv("WAYLAND_DISPLAY") != nullptr ? "x11,wayland" : "x11");
    }
    // The window's class (X11) and app id (Wayland) name the menu entry,
    // org.viewer_project.viewer.desktop, whatever the program file is called, so the desktop
    // matches the window with its entry and its icon.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", appId, 1);
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", appId, 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        noteStartUpFailure(std::string("no display: ") + SDL_GetError());
        return false;
    }
    const std::string driver = SDL_GetCurrentVideoDriver();
    if (driver != "x11" && driver != "wayland") {
        noteStartUpFailure("no display: no X11 or Wayland display to show the window on");
        return false;
    }
    return true;
}

} // namespace

void showMouseCursor() {
    SDL_ShowCursor(SDL_ENABLE);
}

SDL_Window* sdlMainWindow() {
    return window;
}

void createMainWindow() {
    if (!startVideoOnADisplay()) {
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The picture is drawn straight into the back buffer (gl_graphics.h).
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    // SDL then does not even copy a dropped text.
    SDL_EventState(SDL_DROPTEXT, SDL_DISABLE);
    const std::string title = utf8FromCp932(window_layout::title);
    // Not resizable: the client area stays the picture's size, so it is never stretched.
    window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              window_layout::clientWidth, window_layout::clientHeight,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        noteStartUpFailure(std::string("no window: ") + SDL_GetError());
        return;
    }
    setUtf8WindowName(title);
    setWindowIcon();
    mainWindow = window;
}

// The window stays until the process ends, so the OpenGL objects the scene still releases
// keep their context; it is hidden at once, and its destruction's handling follows as it does
// on Windows.
void destroyMainWindow() {
    SDL_HideWindow(window);
    handleDestroy();
}

void deleteWindowResources() {
    if (buttonQuads != nullptr) {
        releaseQuadBuffer(buttonQuads);
        buttonQuads = nullptr;
    }
}

void handleWindowEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        closeOnce();
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            closeOnce();
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        pressOrReleaseButton(event.button);
        break;
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE:
        takeDroppedFile(event.drop);
        break;
    default:
        break;
    }
}

// The capture button, drawn as a raised (or pressed) push button of the classic Windows scheme.
void drawWindowControls() {
    if (buttonQuads == nullptr) {
        buttonQuads = createQuadBuffer();
    }
    const int x = window_layout::captureButtonX;
    const int y = window_layout::captureButtonY;
    const int width = window_layout::captureButtonWidth;
    const int height = window_layout::captureButtonHeight;
    fillRect(x, y, width, height, buttonFace);
    if (buttonPressed) {
        frameRect(x, y, width, height, buttonDarkShadow, buttonHighlight);
        frameRect(x + 1, y + 1, width - 2, height - 2, buttonShadow, buttonLight);
    } else {
        frameRect(x, y, width, height, buttonHighlight, buttonDarkShadow);
        frameRect(x + 1, y + 1, width - 2, height - 2, buttonLight, buttonShadow);
    }
    const int pressedShift = buttonPressed ? 1 : 0;
    drawScreenCaption({x + pressedShift, y + pressedShift, static_cast<std::uint16_t>(width),
                       static_cast<std::uint16_t>(height)},
                      window_layout::captureButtonTextHeight, window_layout::captureButtonCaption,
                      buttonText);
}
