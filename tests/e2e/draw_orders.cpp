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

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <numeric>
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

// The pieces: the light, the camera, the model in the left half, the quad and the text in the
// right one.
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

// More texts in one frame than a platform keeps textures for, so that some are released, and
// made again, within the frame; top down or bottom up, each shows its own in its own place.
constexpr int textCount = 20;
void oneOfManyTexts(int i) {
    char line[16];
    std::snprintf(line, sizeof line, "文字 %02d", i);
    drawScreenText(330 + 140 * (i / 10), 80 + 20 * (i % 10), line, 0xFF20FF40);
}

using Step = void (*)();
const Step mesh = [] { model.draw({-1.6f, -0.5f, 0.0f}, {0.3f, 0.5f, 0.0f}); };
const Step filter = [] { quad->draw(380.0f, 300.0f, 150.0f, 120.0f); };
const Step text = [] { drawScreenText(360, 40, "順番\torder 0123", 0xFFFF4020); };
const Step manyTextsDown = [] {
    for (int i = 0; i < textCount; ++i) {
        oneOfManyTexts(i);
    }
};
const Step manyTextsUp = [] {
    for (int i = textCount - 1; i >= 0; --i) {
        oneOfManyTexts(i);
    }
};
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

// Whether some pixel of the area (left, top, right, bottom, top-down) is not the clear colour.
bool drawnIn(const std::vector<std::uint8_t>& rows, const std::array<int, 4>& area) {
    const std::uint8_t clearBgr[3] = {clearColor & 0xFF, (clearColor >> 8) & 0xFF,
                                      (clearColor >> 16) & 0xFF};
    for (int y = area[1]; y < area[3]; ++y) {
        const std::uint8_t* row = rows.data() + (height - 1 - y) * paddedRowLength(width);
        for (int x = area[0]; x < area[2]; ++x) {
            if (!std::equal(clearBgr, clearBgr + 3, row + 3 * x)) {
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
    quad->setColor(0xB0FF8040);
    const std::vector<std::uint8_t> first = presentAndGrab(orders[0]);
    const std::array<std::array<int, 4>, 4> pieces = {
        {{0, 0, 300, 500}, {380, 300, 530, 420}, {360, 40, 560, 60}, {330, 80, width, 300}}};
    bool same = !first.empty() && std::all_of(pieces.begin(), pieces.end(), [&](const auto& area) {
        return drawnIn(first, area);
    });
    std::printf("order 0: model, quad and texts %s\n", same ? "drawn" : "missing");
    for (std::size_t i = 1; i < orders.size(); ++i) {
        const std::vector<std::uint8_t> picture = presentAndGrab(orders[i]);
        const std::size_t differing =
            picture.size() != first.size()
                ? first.size()
                : std::inner_product(first.begin(), first.end(), picture.begin(), std::size_t{0},
                                     std::plus<>(), std::not_equal_to<>());
        std::printf("order %zu: %zu of %zu bytes differ from order 0\n", i, differing,
                    first.size());
        same = same && differing == 0;
    }
    std::fflush(stdout);
    quad->release();
    model.release();
    releaseGraphics();
    return same ? 0 : 1;
}
