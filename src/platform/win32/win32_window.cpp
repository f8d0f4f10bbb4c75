// Windows main window: the button font, the background brush, the class "NORMAL0", the window
// with its capture button, and the window procedure. What a message means for the viewer is
// decided in the portable window folder; this file makes the calls.

#include "window/main_window.h"
#include "window/window_layout.h"
#include "window/window_messages.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

HFONT buttonFont = nullptr;
HBRUSH backgroundBrush = nullptr;

HFONT createButtonFont() {
    return CreateFontA(window_layout::buttonFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                       FF_SWISS | DEFAULT_PITCH, window_layout::buttonFontFace);
}

void createCaptureButton(HWND window) {
    CreateWindowExA(0, "BUTTON", window_layout::captureButtonCaption,
                    window_layout::captureButtonStyle, window_layout::captureButtonX,
                    window_layout::captureButtonY, window_layout::captureButtonWidth,
                    window_layout::captureButtonHeight, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(window_layout::captureButtonId)),
                    GetModuleHandleA(nullptr), nullptr);
    SendMessageA(GetDlgItem(window, window_layout::captureButtonId), WM_SETFONT,
                 reinterpret_cast<WPARAM>(buttonFont), 0);
}

void takeFirstDroppedPath(HDROP drop) {
    const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
    std::string path(length + 1, '\0');
    DragQueryFileA(drop, 0, path.data(), length + 1);
    path.resize(length);
    handleDroppedPath(path);
    DragFinish(drop);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        mainWindow = window;
        createCaptureButton(window);
        return 0;
    case WM_COMMAND:
        handleCommand(wParam);
        return 0;
    case WM_DROPFILES:
        takeFirstDroppedPath(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_CLOSE:
        handleClose();
        return 0;
    case WM_DESTROY:
        handleDestroy();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = window_layout::classStyle;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));     // IDI_APPLICATION
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = backgroundBrush;
    windowClass.lpszClassName = window_layout::className;
    windowClass.hIconSm = LoadIconA(nullptr, MAKEINTRESOURCEA(32517)); // IDI_WINLOGO
    RegisterClassExA(&windowClass);
}

// The outer size that gives the picture's exact client size under the frame this system
// draws, rather than an assumed frame thickness.
SIZE outerSizeForClientArea() {
    RECT rect{0, 0, window_layout::clientWidth, window_layout::clientHeight};
    AdjustWindowRectEx(&rect, window_layout::style, FALSE, window_layout::extendedStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace

void createMainWindow() {
    buttonFont = createButtonFont();
    backgroundBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    registerWindowClass(instance);
    const SIZE outer = outerSizeForClientArea();
    CreateWindowExA(window_layout::extendedStyle, window_layout::className, window_layout::title,
                    window_layout::style, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy, nullptr,
                    nullptr, instance, nullptr);
}

void destroyMainWindow() {
    DestroyWindow(static_cast<HWND>(mainWindow));
}

bool mainWindowIsMinimised() {
    return IsIconic(static_cast<HWND>(mainWindow)) != 0;
}

void deleteWindowResources() {
    DeleteObject(buttonFont);
    DeleteObject(backgroundBrush);
}
