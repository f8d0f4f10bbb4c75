// Linux screen grab for the capture: reads the area under the filter from the last presented
// frame, which the picture's frame buffer still holds (gl_graphics.h), not from the desktop, so
// windows in front of the viewer never enter a capture. OpenGL's rows run bottom-up and, packed
// with a 4-byte alignment, are padded exactly as BMP rows are, so the read fills the BMP rows
// directly. Pixels outside the picture are black. Links libepoxy.

#include "capture/screen_grab.h"

#include "capture/bmp_image.h"
#include "gl_graphics.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int bmpRowAlignment = 4;

} // namespace

void grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows) {
    if (picture.frameBuffer == 0) {
        return;
    }
    const std::optional<std::uint32_t> imageSize = bmpImageSize(area.width, area.height);
    if (!imageSize) {
        return;
    }
    std::memset(pixelRows, 0, *imageSize);

    // The part of the area inside the picture, in client pixels (y downward).
    const long left = std::max<long>(area.x, 0);
    const long top = std::max<long>(area.y, 0);
    const long right = std::min<long>(static_cast<long>(area.x) + area.width, picture.width);
    const long bottom = std::min<long>(static_cast<long>(area.y) + area.height, picture.height);
    if (left >= right || top >= bottom) {
        return;
    }
    // Row 0 of the file is the area's bottom row; OpenGL's row 0 is the picture's bottom row.
    const long skipRows = static_cast<long>(area.y) + area.height - bottom;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, picture.frameBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, bmpRowAlignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, area.width);
    glPixelStorei(GL_PACK_SKIP_PIXELS, static_cast<GLint>(left - area.x));
    glPixelStorei(GL_PACK_SKIP_ROWS, static_cast<GLint>(skipRows));
    glReadPixels(static_cast<GLint>(left), static_cast<GLint>(picture.height - bottom),
                 static_cast<GLsizei>(right - left), static_cast<GLsizei>(bottom - top), GL_BGR,
                 GL_UNSIGNED_BYTE, pixelRows);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
}
