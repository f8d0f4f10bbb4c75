// Windows main window: the button font, the background brush, the class "NORMAL0", the window
// with its capture button, the window procedure, and the mouse cursor. A click on the button is
// the viewer's capture; what the other messages mean for the viewer is decided in the portable
// window folder. This file makes the calls, in their W forms with
// the layout's code page 932 texts converted, so the title and caption read right in any locale.
//
// The client area is held at the picture's size: the back buffer never changes size, so a
// larger or smaller client area would stretch the picture and the capture would no longer
// show what lies under the filter. The frame keeps its look but offers no sizing edges, and
// every other way of resizing (a program's SetWindowPos, snapping, a DPI change) is held to
// the same size.

#include "app/cursor.h"
#include "capture/capture.h"
#include "win32_code_page.h"
#include "win32_window_layout.h"
#include "window/main_window.h"
#include "window/window_messages.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

HFONT buttonFont = nullptr;
HBRUSH backgroundBrush = nullptr;

HFONT createButtonFont() {
    return CreateFontW(win32_layout::buttonFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                       FF_SWISS | DEFAULT_PITCH,
                       fromCodePage932(win32_layout::buttonFontFace).c_str());
}

void createCaptureButton(HWND window) {
    CreateWindowExW(0, L"BUTTON", fromCodePage932(window_layout::captureButtonCaption).c_str(),
                    win32_layout::captureButtonStyle, window_layout::captureButtonX,
                    window_layout::captureButtonY, window_layout::captureButtonWidth,
                    window_layout::captureButtonHeight, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(win32_layout::captureButtonId)),
                    GetModuleHandleW(nullptr), nullptr);
    SendMessageW(GetDlgItem(window, win32_layout::captureButtonId), WM_SETFONT,
                 reinterpret_cast<WPARAM>(buttonFont), 0);
}

bool isCaptureButtonClick(WPARAM wParam) {
    return LOWORD(wParam) == win32_layout::captureButtonId && HIWORD(wParam) == BN_CLICKED;
}

// The core keeps the path as code page 932 bytes, like every other name it holds.
void takeFirstDroppedPath(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, 0, path.data(), length + 1);
    handleDroppedPath(toCodePage932(path.c_str()));
    DragFinish(drop);
}

// The outer size that gives the picture's exact client size under the frame this system
// draws, rather than an assumed frame thickness. For the window's creation, before it has a
// frame to measure.
SIZE outerSizeForClientArea() {
    RECT rect{0, 0, window_layout::clientWidth, window_layout::clientHeight};
    AdjustWindowRectEx(&rect, win32_layout::style, FALSE, win32_layout::extendedStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The outer size that gives the picture's client size under the frame the window has now,
// whatever its theme and DPI make it measure.
SIZE outerSizeHoldingClientArea(HWND window) {
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return SIZE{outer.right - outer.left - client.right + window_layout::clientWidth,
                outer.bottom - outer.top - client.bottom + window_layout::clientHeight};
}

void holdClientArea(HWND window) {
    const SIZE outer = outerSizeHoldingClientArea(window);
    SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every size the system may give the window (dragging, maximising, snapping, another
// program's resize) is the one that holds the client area. Before the window is made, and
// while it is minimised, there is no client area to measure.
void limitTrackSize(HWND window, MINMAXINFO& limits) {
    const SIZE outer = mainWindow != nullptr && !IsIconic(window)
                           ? outerSizeHoldingClientArea(window)
                           : outerSizeForClientArea();
    limits.ptMinTrackSize = POINT{outer.cx, outer.cy};
    limits.ptMaxTrackSize = POINT{outer.cx, outer.cy};
    limits.ptMaxSize = POINT{outer.cx, outer.cy};
}

// The frame's sizing edges act as a plain border: no sizing cursor offers a resize that
// would not happen.
LRESULT hitTestWithoutSizing(HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = DefWindowProcW(window, WM_NCHITTEST, wParam, lParam);
    return hit >= HTLEFT && hit <= HTBOTTOMRIGHT ? HTBORDER : hit;
}

// Moving to a monitor of another DPI rescales the frame: the window goes where the system
// suggests, at the outer size that keeps the client area.
void followDpiChange(HWND window, const RECT& suggested) {
    SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    holdClientArea(window);
}

// A key let go while another program had the focus is never seen released by this thread's
// queued key state; on coming back to the front, forget every key that is no longer down.
void forgetKeysReleasedElsewhere() {
    BYTE keys[256];
    if (!GetKeyboardState(keys)) {
        return;
    }
    for (int key = 0; key < 256; ++key) {
        if ((keys[key] & 0x80) != 0 && GetAsyncKeyState(key) >= 0) {
            keys[key] &= 0x7F;
        }
    }
    SetKeyboardState(keys);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        mainWindow = window;
        createCaptureButton(window);
        return 0;
    case WM_COMMAND:
        if (isCaptureButtonClick(wParam)) {
            captureFilterArea();
        }
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
    case WM_GETMINMAXINFO:
        limitTrackSize(window, *reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_NCHITTEST:
        return hitTestWithoutSizing(window, wParam, lParam);
    case WM_DPICHANGED:
        followDpiChange(window, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            forgetKeysReleasedElsewhere();
        }
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void registerWindowClass(HINSTANCE instance, const std::wstring& className) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = win32_layout::classStyle;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));     // IDI_APPLICATION
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = backgroundBrush;
    windowClass.lpszClassName = className.c_str();
    windowClass.hIconSm = LoadIconW(nullptr, MAKEINTRESOURCEW(32517)); // IDI_WINLOGO
    RegisterClassExW(&windowClass);
}

} // namespace

void createMainWindow() {
    buttonFont = createButtonFont();
    backgroundBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring className = fromCodePage932(win32_layout::className);
    registerWindowClass(instance, className);
    const SIZE outer = outerSizeForClientArea();
    CreateWindowExW(win32_layout::extendedStyle, className.c_str(),
                    fromCodePage932(window_layout::title).c_str(), win32_layout::style,
                    CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy, nullptr, nullptr, instance,
                    nullptr);
    // The frame's real measure can differ from the computed one (a monitor whose DPI is not
    // the system's); the window then takes the size that holds the client area.
    if (mainWindow != nullptr) {
        holdClientArea(static_cast<HWND>(mainWindow));
    }
}

void destroyMainWindow() {
    DestroyWindow(static_cast<HWND>(mainWindow));
}

void showMouseCursor() {
    ShowCursor(TRUE);
}

void deleteWindowResources() {
    DeleteObject(buttonFont);
    DeleteObject(backgroundBrush);
}

// The capture button is a child window over the picture: nothing to draw into it.
void drawWindowControls() {}
