// A tiny window used to check the end-to-end harness itself and to give a
// start-up time baseline: an empty window whose client area is exactly
// 592 x 576, painted one solid colour with a single marker pixel in the
// top-left and bottom-right client corners.
//
// Build: x86_64-w64-mingw32-g++ -static -mwindows -fexec-charset=CP932 \
//        -o empty_window.exe empty_window.cpp
// Optional argument: the window title (CP932 bytes). Default "空のウィンドウ".
// On start it writes its window and client rectangles to standard output,
// and "active 1" / "active 0" whenever it gains or loses the foreground.
#include <windows.h>

namespace {

const int kClientWidth = 592;
const int kClientHeight = 576;
const COLORREF kFill = RGB(10, 200, 30);
const COLORREF kMarker = RGB(250, 20, 240);
const DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE | WS_CLIPCHILDREN;
const DWORD kExStyle = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            PostQuitMessage(0);
            return 0;
        }
        break;
    case WM_ACTIVATEAPP: {
        // Lets a test see when Windows makes the probe the foreground
        // program and when it stops being it.
        const char* line = wParam ? "active 1\r\n" : "active 0\r\n";
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (out != nullptr && out != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(out, line, 10, &written, nullptr);
        }
        break;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH brush = CreateSolidBrush(kFill);
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
        SetPixel(dc, 0, 0, kMarker);
        SetPixel(dc, kClientWidth - 1, kClientHeight - 1, kMarker);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Writes one line to standard output so a test can compare what Windows
// thinks with what it measures on the X screen:
//   window <left> <top> <right> <bottom> client <x> <y> <width> <height>
// (window rectangle and client origin in screen coordinates).
void ReportGeometry(HWND hwnd) {
    RECT outer;
    RECT client;
    POINT origin = {0, 0};
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    ClientToScreen(hwnd, &origin);
    char line[160];
    int len = wsprintfA(line, "window %d %d %d %d client %d %d %d %d\r\n",
                        static_cast<int>(outer.left), static_cast<int>(outer.top),
                        static_cast<int>(outer.right), static_cast<int>(outer.bottom),
                        static_cast<int>(origin.x), static_cast<int>(origin.y),
                        static_cast<int>(client.right - client.left),
                        static_cast<int>(client.bottom - client.top));
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && len > 0) {
        DWORD written = 0;
        WriteFile(out, line, static_cast<DWORD>(len), &written, nullptr);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    const char* title = "空のウィンドウ";
    if (cmdLine != nullptr && cmdLine[0] != '\0') {
        title = cmdLine;
    }

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "EmptyWindowProbe";
    if (!RegisterClassExA(&wc)) {
        return 1;
    }

    RECT rc = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&rc, kStyle, FALSE, kExStyle);
    HWND hwnd = CreateWindowExA(kExStyle, wc.lpszClassName, title, kStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT,
                                rc.right - rc.left, rc.bottom - rc.top,
                                nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    ReportGeometry(hwnd);

    MSG msg;
    int status;
    while ((status = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (status == -1) {
            return 1;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
