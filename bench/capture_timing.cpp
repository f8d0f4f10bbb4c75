// Times the capture on Windows (or Wine): a window whose client area shows a known pattern,
// captures of its top-left 50 × 50 and of the whole 592 × 576 client area into BMP files in
// the working folder, and the median time of each. Before timing it checks that a small
// capture holds exactly the pattern under the filter, corner and row order included.
//
// Built by build_capture_bench.sh from the viewer's capture sources; run by capture_timing.py.

#include "capture/capture.h"
#include "capture/capture_numbering.h"
#include "platform/d3d9/finish_frames.h"
#include "state/viewer_state.h"
#include "window/main_window.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

WindowHandle mainWindow = nullptr;

// The pattern is painted with GDI: there is no device whose frames the grab must wait for.
void finishHandedFrames() {}

namespace {

constexpr int clientWidth = 592;
constexpr int clientHeight = 576;

std::uint32_t patternAt(int x, int y) {
    const int red = x & 0xFF;
    const int green = y & 0xFF;
    const int blue = (x * 7 + y * 13 + 1) & 0xFF;
    return static_cast<std::uint32_t>(red << 16 | green << 8 | blue);
}

void paintPattern(HDC context) {
    std::vector<std::uint32_t> pixels(clientWidth * clientHeight);
    for (int y = 0; y < clientHeight; ++y) {
        for (int x = 0; x < clientWidth; ++x) {
            pixels[y * clientWidth + x] = patternAt(x, y);
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = clientWidth;
    info.bmiHeader.biHeight = -clientHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(context, 0, 0, clientWidth, clientHeight, 0, 0, 0, clientHeight,
                      pixels.data(), &info, DIB_RGB_COLORS);
}

LRESULT CALLBACK patternWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        paintPattern(BeginPaint(window, &paint));
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createPatternWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = patternWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CaptureBench";
    RegisterClassA(&windowClass);
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExA(0, "CaptureBench", "capture bench", WS_OVERLAPPEDWINDOW, 40, 60,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

void pumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

std::vector<std::uint8_t> readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The capture's pixel at column x of row y from the top, as 0xRRGGBB.
std::uint32_t capturedPixel(const std::vector<std::uint8_t>& file, int width, int height, int x,
                            int y) {
    const int stride = (width * 3 + 3) & ~3;
    const std::size_t at = 54 + static_cast<std::size_t>(height - 1 - y) * stride + 3 * x;
    return static_cast<std::uint32_t>(file[at + 2] << 16 | file[at + 1] << 8 | file[at]);
}

bool captureShowsPattern(int filterX, int filterY, int width, int height) {
    viewerState.filterX = static_cast<std::int16_t>(filterX);
    viewerState.filterY = static_cast<std::int16_t>(filterY);
    viewerState.filterWidth = static_cast<std::uint16_t>(width);
    viewerState.filterHeight = static_cast<std::uint16_t>(height);
    const std::uint16_t number = viewerState.captureCounter;
    captureFilterArea();
    const std::vector<std::uint8_t> file = readFile(captureFileName(number));
    if (file.size() != 54 + static_cast<std::size_t>((width * 3 + 3) & ~3) * height) {
        std::printf("grab check: %d.bmp has %zu bytes\n", number, file.size());
        return false;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t expected = patternAt(filterX + x, filterY + y);
            const std::uint32_t got = capturedPixel(file, width, height, x, y);
            if (got != expected) {
                std::printf("grab check: pixel %d,%d is %06X, the screen shows %06X\n", x, y,
                            static_cast<unsigned>(got), static_cast<unsigned>(expected));
                return false;
            }
        }
    }
    return true;
}

double medianCaptureMilliseconds(int width, int height, int runs) {
    viewerState.filterX = 0;
    viewerState.filterY = 0;
    viewerState.filterWidth = static_cast<std::uint16_t>(width);
    viewerState.filterHeight = static_cast<std::uint16_t>(height);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        captureFilterArea();
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mainWindow = createPatternWindow();
    pumpMessagesFor(1500);

    const bool grabMatches = captureShowsPattern(13, 7, 5, 4) && captureShowsPattern(0, 0, 3, 3) &&
                             captureShowsPattern(100, 200, 52, 9);
    std::printf("grab check: %s\n", grabMatches ? "captures equal the pattern" : "MISMATCH");

    constexpr int runs = 25;
    std::printf("capture 50 x 50: median %.3f ms of %d\n", medianCaptureMilliseconds(50, 50, runs),
                runs);
    std::printf("capture 592 x 576: median %.3f ms of %d\n",
                medianCaptureMilliseconds(clientWidth, clientHeight, runs), runs);
    std::fflush(stdout);
    return grabMatches ? 0 : 1;
}
