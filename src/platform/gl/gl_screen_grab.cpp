// OpenGL screen grab for the capture: hands over the area under the filter as the last presented
// frame showed it, not the desktop, so windows in front of the viewer never enter a capture.
// The frame is drawn straight into the window's back buffer, whose contents the swap gives
// away, so the frame's end keeps the part of the area it names (the filter's) inside the
// picture just before it (keepCaptureArea). A capture asks for that same area: the capture key
// is read before the keys that move or size the filter. A capture of any other area writes no
// file and says so, rather than a black picture. Pixels outside the picture are black. Links
// libepoxy.

#include "capture/screen_grab.h"

#include "capture/bmp_image.h"
#include "gl_graphics.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int bytesPerPixel = 3;

// The area the last frame named, and its part inside the picture (client pixels,
// y downward) as tightly packed blue-green-red rows, bottom row first as OpenGL reads them.
struct KeptArea {
    ClientArea area{};
    long left = 0, top = 0, right = 0, bottom = 0;
    std::vector<std::uint8_t> rows;
};

KeptArea kept;

} // namespace

void keepCaptureArea(const ClientArea& area) {
    kept.area = area;
    // An area wholly outside the picture keeps an empty rectangle, and no rows.
    kept.left = std::max<long>(kept.area.x, 0);
    kept.top = std::max<long>(kept.area.y, 0);
    kept.right = std::max(kept.left, std::min<long>(kept.area.x + kept.area.width, picture.width));
    kept.bottom =
        std::max(kept.top, std::min<long>(kept.area.y + kept.area.height, picture.height));
    kept.rows.resize(static_cast<std::size_t>(kept.right - kept.left) * bytesPerPixel *
                     static_cast<std::size_t>(kept.bottom - kept.top));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(static_cast<GLint>(kept.left), static_cast<GLint>(picture.height - kept.bottom),
                 static_cast<GLsizei>(kept.right - kept.left),
                 static_cast<GLsizei>(kept.bottom - kept.top), GL_BGR, GL_UNSIGNED_BYTE,
                 kept.rows.data());
}

// Row 0 of the file is the area's bottom row, as is row 0 of the kept rows after the rows of
// the area below the picture. The rows arrive zeroed, which is black outside the picture.
bool grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows) {
    if (area != kept.area) {
        std::fprintf(stderr,
                     "capture: the area %d,%d %ux%u is not the one the last frame kept "
                     "(%d,%d %ux%u)\n",
                     area.x, area.y, area.width, area.height, kept.area.x, kept.area.y,
                     kept.area.width, kept.area.height);
        return false;
    }
    const std::size_t keptRowLength =
        static_cast<std::size_t>(kept.right - kept.left) * bytesPerPixel;
    const std::size_t fileRowLength = paddedRowLength(area.width);
    const long rowsBelow = static_cast<long>(area.y) + area.height - kept.bottom;
    for (long row = 0; row < kept.bottom - kept.top; ++row) {
        std::memcpy(pixelRows + static_cast<std::size_t>(rowsBelow + row) * fileRowLength +
                        static_cast<std::size_t>(kept.left - area.x) * bytesPerPixel,
                    kept.rows.data() + static_cast<std::size_t>(row) * keptRowLength,
                    keptRowLength);
    }
    return true;
}
