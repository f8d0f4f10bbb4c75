// Draws the demo scene's model, a filter quad, a text and a column of texts through the graphics
// seam in orders the viewer's frame never uses (texts and quads before the light, the camera
// and the mesh; the column bottom up), each piece in a part of the picture of its own, and
// compares the presented pictures, read
// back by the capture's screen grab, with the frame's own order. Exit 0 when every picture
// equals the first and each piece was drawn, 1 otherwise, with one line per order on standard
// output. Run in the demo scene's folder by test_draw_orders.py.

#include "capture/bmp_image.h"
#include "capture/screen_grab.h"
#include "gfx/graphics.h"
#include "gfx/mesh_object.h"
#include "scene/filter_quad.h"
#include "window/main_window.h"
#include "window/window_layout.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <SDL.h>
#endif

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int width = window_layout::clientWidth;
constexpr int height = window_layout::clientHeight;
constexpr std::uint32_t clearColor = 0xFF3CA3B9;
constexpr int framesPerOrder = 4; // past the frames a device may queue behind its present

MeshObject model;
FilterQuad* quad = nullptr;

// Lets the window system show the window and take its messages, as the viewer's loop does.
void takeWindowMessages() {
#ifdef _WIN32
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
#else
    SDL_PumpEvents();
#endif
}

void light() {
    DirectionalLight light{};
    light.diffuse = {0.6f, 0.5f, 0.4f, 1.0f};
    light.specular = {0.3f, 0.3f, 0.3f, 1.0f};
    light.ambient = {0.3f, 0.1f, 0.2f, 1.0f};
    light.direction = {0.0f, -1.0f, 1.0f};
    setLight(light);
}

void camera() {
    Matrix view{};
    matrixLookAtLH(view, {0.0f, 0.0f, -6.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    setViewMatrix(view);
    Matrix projection{};
    matrixPerspectiveFovLH(projection, 3.14159265f / 3.0f, 1.0f, 0.01f, 100.0f);
    setProjectionMatrix(projection);
}

// The model in the left half, the quad and the text in the right one.
void mesh() {
    model.draw({-1.6f, -0.5f, 0.0f}, {0.3f, 0.5f, 0.0f});
}
void filter() {
    quad->setColor(0xB0FF8040);
    quad->draw(380.0f, 300.0f, 150.0f, 120.0f);
}
void text() {
    drawScreenText(360, 40, "順番\torder 0123", 0xFFFF4020);
}

// More texts in one frame than a platform keeps textures for, so that some are released, and
// made again, within the frame; top down or bottom up, each shows its own in its own place.
constexpr int textCount = 20;
void oneOfManyTexts(int i) {
    char line[16];
    std::snprintf(line, sizeof line, "文字 %02d", i);
    drawScreenText(330 + 140 * (i / 10), 80 + 20 * (i % 10), line, 0xFF20FF40);
}
void manyTextsDown() {
    for (int i = 0; i < textCount; ++i) {
        oneOfManyTexts(i);
    }
}
void manyTextsUp() {
    for (int i = textCount - 1; i >= 0; --i) {
        oneOfManyTexts(i);
    }
}

using Step = void (*)();
const std::vector<std::vector<Step>> orders = {
    {light, camera, mesh, filter, text, manyTextsDown}, // the frame's own
    {text, manyTextsUp, filter, light, camera, mesh},
    {camera, text, light, filter, manyTextsUp, mesh},
};

std::vector<std::uint8_t> presentAndGrab(const std::vector<Step>& order) {
    const ClientArea whole{0, 0, width, height};
    for (int frame = 0; frame < framesPerOrder; ++frame) {
        takeWindowMessages();
        beginFrame(clearColor);
        for (Step step : order) {
            step();
        }
        endFrame(whole);
    }
    std::vector<std::uint8_t> rows(*bmpImageSize(width, height));
    if (!grabScreenArea(whole, rows.data())) {
        rows.clear();
    }
    return rows;
}

// Whether some pixel of the rectangle (top-down) is not the clear colour.
bool drawnIn(const std::vector<std::uint8_t>& rows, int left, int top, int right, int bottom) {
    const std::size_t stride = paddedRowLength(width);
    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* row = rows.data() + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = left; x < right; ++x) {
            const std::uint8_t* bgr = row + 3 * x;
            if (bgr[0] != (clearColor & 0xFF) || bgr[1] != ((clearColor >> 8) & 0xFF) ||
                bgr[2] != ((clearColor >> 16) & 0xFF)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

int main() {
    createMainWindow();
    if (mainWindow == nullptr || !setUpGraphics(mainWindow, width, height)) {
        std::printf("draw_orders: no window or graphics\n");
        return 1;
    }
    model.load("model.x");
    quad = new FilterQuad;
    quad->loadTexture("フィルター画像.bmp", 0);
    bool same = true;
    std::vector<std::uint8_t> first;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        const std::vector<std::uint8_t> picture = presentAndGrab(orders[i]);
        if (i == 0) {
            first = picture;
            const bool drawn = !first.empty() && drawnIn(first, 0, 0, 300, 500) &&
                               drawnIn(first, 380, 300, 530, 420) &&
                               drawnIn(first, 360, 40, 560, 60) &&
                               drawnIn(first, 330, 80, width, 300);
            std::printf("order 0: model, quad and texts %s\n", drawn ? "drawn" : "missing");
            same = drawn;
            continue;
        }
        std::size_t differing = 0;
        for (std::size_t b = 0; b < first.size() && b < picture.size(); ++b) {
            differing += first[b] != picture[b];
        }
        const bool equal = picture.size() == first.size() && differing == 0;
        std::printf("order %zu: %zu of %zu bytes differ from order 0\n", i, differing,
                    first.size());
        same = same && equal;
    }
    std::fflush(stdout);
    quad->release();
    model.release();
    releaseGraphics();
    return same ? 0 : 1;
}
