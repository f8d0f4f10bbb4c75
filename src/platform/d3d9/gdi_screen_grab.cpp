// Windows screen grab for the capture: copies the screen under the filter rectangle through
// the desktop's device context into a memory bitmap and reads it out as BMP pixel rows.
//
// The area's origin is the screen position of the filter's corner in the main window's client
// area (ClientToScreen), so the file shows what lies under the filter whatever the frame and
// caption measure. Coordinates stay 32-bit signed: monitors left of or above the primary one
// have negative positions. The copy reads only the part of the area that lies on the virtual
// screen (all monitors): a read that reaches past it fails whole on some systems, which made
// the on-screen part black too. The rest of the area stays black. Links gdi32 and user32.

#include "capture/screen_grab.h"

#include "platform/d3d9/finish_frames.h"
#include "window/main_window.h"

#include <windows.h>

#include <algorithm>

namespace {

POINT screenPositionOf(std::int32_t clientX, std::int32_t clientY) {
    POINT position{clientX, clientY};
    ClientToScreen(static_cast<HWND>(mainWindow), &position);
    return position;
}

// Reads the top-left width × height pixels of the block, which is one pixel wider and taller,
// as 24-bit bottom-up rows. The read-out is described with the block's own height so that its
// scan lines count from the block's bottom row on every implementation; skipping scan line 0
// (the block's spare bottom row) leaves exactly the area's rows. The block must be selected
// into no device context.
void readPixelRows(HDC context, HBITMAP block, const ClientArea& area, std::uint8_t* pixelRows) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = area.width;
    info.bmiHeader.biHeight = area.height + 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    GetDIBits(context, block, 1, area.height, pixelRows, &info, DIB_RGB_COLORS);
}

struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;

    bool isEmpty() const { return left >= right || top >= bottom; }
};

PixelRect virtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

PixelRect intersection(const PixelRect& a, const PixelRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Blackens the block, then copies into it the part of the screen rectangle that lies on the
// virtual screen, each pixel to its place in the block.
void copyOnScreenPart(HDC block, HDC screen, const POINT& origin, int width, int height) {
    PatBlt(block, 0, 0, width, height, BLACKNESS);
    const PixelRect wanted{origin.x, origin.y, origin.x + width, origin.y + height};
    const PixelRect onScreen = intersection(wanted, virtualScreen());
    if (onScreen.isEmpty()) {
        return;
    }
    BitBlt(block, onScreen.left - origin.x, onScreen.top - origin.y, onScreen.right - onScreen.left,
           onScreen.bottom - onScreen.top, screen, onScreen.left, onScreen.top, SRCCOPY);
}

} // namespace

// Every area is on the screen to be read; a copy that fails leaves black.
bool grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows) {
    finishHandedFrames();
    const POINT origin = screenPositionOf(area.x, area.y);
    const int blockWidth = area.width + 1;
    const int blockHeight = area.height + 1;

    const HWND desktop = GetDesktopWindow();
    const HDC screenContext = GetDC(desktop);
    const HDC memoryContext = CreateCompatibleDC(screenContext);
    const HBITMAP block = CreateCompatibleBitmap(screenContext, blockWidth, blockHeight);
    if (memoryContext && block) {
        const HGDIOBJ previousBitmap = SelectObject(memoryContext, block);
        copyOnScreenPart(memoryContext, screenContext, origin, blockWidth, blockHeight);
        // GetDIBits reads only a bitmap that no device context holds.
        SelectObject(memoryContext, previousBitmap);
        readPixelRows(memoryContext, block, area, pixelRows);
    }

    if (block) {
        DeleteObject(block);
    }
    if (memoryContext) {
        DeleteDC(memoryContext);
    }
    ReleaseDC(desktop, screenContext);
    return true;
}
