// Times the native viewer's capture: starts the viewer on the scene in the working folder
// (window, OpenGL context, meshes, filter), draws a few frames, then for a 50 × 50 and a
// 592 × 576 filter prints the median time of a whole capture (BMP file included), of handing
// the kept pixels over alone, and of keeping the filter's area before a swap, which every
// frame pays (<chrono> does not compile under the code page 932 execution character set, so
// SDL's counter times it). Built with the linux preset; run by
// bench/native_vs_wine.py in a copy of the scene, where its captures land.

#include "app/app.h"
#include "capture/bmp_image.h"
#include "capture/capture.h"
#include "capture/screen_grab.h"
#include "gl_graphics.h"
#include "state/viewer_state.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int runs = 25;
constexpr int warmUpFrames = 10;

template <typename Work> double medianMilliseconds(Work work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const Uint64 start = SDL_GetPerformanceCounter();
        work();
        const Uint64 end = SDL_GetPerformanceCounter();
        times.push_back(1000.0 * static_cast<double>(end - start) /
                        static_cast<double>(SDL_GetPerformanceFrequency()));
    }
    std::sort(times.begin(), times.end());
    return times[runs / 2];
}

void timeCaptureOf(std::int32_t x, std::int32_t y, std::uint16_t width, std::uint16_t height) {
    viewerState.filterX = x;
    viewerState.filterY = y;
    viewerState.filterWidth = width;
    viewerState.filterHeight = height;
    runFrame(); // presents the frame with the filter there
    const double capture = medianMilliseconds([] { captureFilterArea(); });
    std::unique_ptr<std::uint8_t[]> rows(new std::uint8_t[*bmpImageSize(width, height)]);
    const double readBack = medianMilliseconds([&] {
        grabScreenArea({x, y, width, height}, rows.get());
    });
    const double kept = medianMilliseconds([&] { keepCaptureArea({x, y, width, height}); });
    std::printf("capture %d x %d: median %.3f ms of %d; handing the kept pixels over alone: "
                "median %.3f ms; keeping the area before each swap: median %.3f ms\n",
                width, height, capture, runs, readBack, kept);
}

} // namespace

int main() {
    if (!startUp()) {
        std::fprintf(stderr, "native_capture_timing: the viewer did not start\n");
        return 1;
    }
    for (int i = 0; i < warmUpFrames; ++i) {
        runFrame();
    }
    timeCaptureOf(20, 20, 50, 50);
    timeCaptureOf(0, 0, 592, 576);
    releaseScene();
    return 0;
}
