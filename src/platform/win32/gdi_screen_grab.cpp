// Windows screen grab for the capture: copies the screen under the filter rectangle through
// the desktop's device context into a memory bitmap and reads it out as BMP pixel rows.
//
// The area's origin is the screen position of the filter's corner in the main window's client
// area (ClientToScreen), so the file shows what lies under the filter whatever the frame and
// caption measure. Coordinates stay 32-bit signed: monitors left of or above the primary one
// have negative positions. Links gdi32 and user32.

#include "capture/screen_grab.h"

#include "window/main_window.h"

#include <windows.h>

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

} // namespace

void grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows) {
    const POINT origin = screenPositionOf(area.x, area.y);
    const int blockWidth = area.width + 1;
    const int blockHeight = area.height + 1;

    const HWND desktop = GetDesktopWindow();
    const HDC screenContext = GetDC(desktop);
    const HDC memoryContext = CreateCompatibleDC(screenContext);
    const HBITMAP block = CreateCompatibleBitmap(screenContext, blockWidth, blockHeight);
    if (memoryContext && block) {
        const HGDIOBJ previousBitmap = SelectObject(memoryContext, block);
        BitBlt(memoryContext, 0, 0, blockWidth, blockHeight, screenContext, origin.x, origin.y,
               SRCCOPY);
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
}
