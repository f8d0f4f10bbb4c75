// The capture's file logic: the BMP layout read back by a reader of our own, the numbering that
// never replaces a file, and every failure path leaving no partial file. The screen and the
// file system are in memory here, so each can fail on cue.
#include "capture/bmp_image.h"
#include "capture/capture.h"
#include "capture/capture_files.h"
#include "capture/capture_numbering.h"
#include "capture/screen_grab.h"
#include "state/viewer_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

// The pixel buffer is the capture's only large block: record the largest asked for, and refuse
// large ones on cue as an exhausted heap would.
namespace {
std::size_t largestBuffer = 0;
bool largeBuffersFail = false;
} // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    largestBuffer = std::max(largestBuffer, size);
    return largeBuffersFail && size > (1u << 20) ? nullptr : std::malloc(size ? size : 1);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {
using Bytes = std::vector<std::uint8_t>;
std::map<std::string, Bytes> files;
std::map<CaptureFile, std::string> openFiles;
std::size_t writableBytes;
bool creationFails, closesFail, grabFails, areaNotKept;
std::vector<ClientArea> grabbedAreas;
int failureSignals;

// Every screen pixel differs from its neighbours in all three channels, so a swapped channel,
// row or column shows. The client origin is at screen (300, 200).
Rgb screenPixel(std::int32_t x, std::int32_t y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
            static_cast<std::uint8_t>(x * 7 + y * 13 + 1)};
}
} // namespace

bool grabScreenArea(const ClientArea& area, std::uint8_t* pixelRows) {
    grabbedAreas.push_back(area);
    if (areaNotKept) {
        return false;
    }
    for (std::uint16_t y = 0; y < area.height && !grabFails; ++y) {
        for (std::uint16_t x = 0; x < area.width; ++x) {
            storeBmpPixel(pixelRows, area.width, area.height, x, y,
                          screenPixel(300 + area.x + x, 200 + area.y + y));
        }
    }
    return true;
}
void createFolderIfMissing(const char*) {}
NewFileResult createNewFile(const char* fileName, CaptureFile& file) {
    if (creationFails) {
        return NewFileResult::failed;
    }
    if (!files.emplace(fileName, Bytes{}).second) {
        return NewFileResult::alreadyExists;
    }
    file = &files[fileName];
    openFiles[file] = fileName;
    return NewFileResult::created;
}
bool writeToFile(CaptureFile file, const std::uint8_t* bytes, std::uint32_t count) {
    const std::size_t stored = std::min<std::size_t>(count, writableBytes);
    writableBytes -= stored;
    static_cast<Bytes*>(file)->insert(static_cast<Bytes*>(file)->end(), bytes, bytes + stored);
    return stored == count;
}
bool closeFile(CaptureFile file) {
    openFiles.erase(file);
    return !closesFail;
}
void removeFile(const char* fileName) {
    files.erase(fileName);
}
void signalCaptureFailed() {
    ++failureSignals;
}

namespace {

std::uint32_t field(const Bytes& bytes, std::size_t offset, int size = 4) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes.at(offset + i);
    }
    return value;
}

// The pixel at column x of row y counted from the top, read as the file format lays it out.
Rgb filePixel(const Bytes& bmp, std::uint32_t x, std::uint32_t y) {
    const std::uint32_t stride = (field(bmp, 18) * 3 + 3) & ~3u;
    const std::size_t at = field(bmp, 10) + (field(bmp, 22) - 1 - y) * stride + 3 * x;
    return {bmp.at(at + 2), bmp.at(at + 1), bmp.at(at)};
}

class Capture : public ::testing::Test {
  protected:
    void SetUp() override {
        viewerState = ViewerState{};
        files.clear();
        openFiles.clear();
        grabbedAreas.clear();
        writableBytes = SIZE_MAX;
        creationFails = closesFail = grabFails = areaNotKept = largeBuffersFail = false;
        largestBuffer = 0;
        failureSignals = 0;
    }
    static const Bytes& file(std::uint16_t number) { return files.at(captureFileName(number)); }
    static void place(std::int16_t x, std::int16_t y, std::uint16_t width, std::uint16_t height) {
        viewerState.filterX = x;
        viewerState.filterY = y;
        viewerState.filterWidth = width;
        viewerState.filterHeight = height;
    }
};

TEST_F(Capture, EveryRowPaddingReadsBackAsTheScreenUnderTheFilter) {
    for (std::uint16_t width = 1; width <= 8; ++width) {
        place(-7, 11, width, 3);
        captureFilterArea();
        const Bytes& bmp = file(width - 1);
        const std::uint32_t stride = (width * 3 + 3) & ~3u;
        ASSERT_EQ(54 + 3 * stride, bmp.size()) << "width " << width;
        // "BM", the file size, the rows at 54, the 40-byte header's width, height, one plane,
        // 24 bits, no compression and the rows' size; the rest zero.
        std::vector<std::uint32_t> headers;
        for (std::size_t at : {0, 2, 6, 10, 14, 18, 22, 26, 28, 30, 34, 38, 42, 46, 50}) {
            headers.push_back(field(bmp, at, at == 0 || at == 26 || at == 28 ? 2 : 4));
        }
        EXPECT_EQ((std::vector<std::uint32_t>{0x4D42, 54 + 3 * stride, 0, 54, 40, width, 3, 1, 24,
                                              0, 3 * stride, 0, 0, 0, 0}),
                  headers);
        for (std::uint32_t y = 0; y < 3; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                const Rgb got = filePixel(bmp, x, y);
                const Rgb want = screenPixel(300 - 7 + x, 200 + 11 + y);
                EXPECT_TRUE(got.red == want.red && got.green == want.green && got.blue == want.blue)
                    << "width " << width << " pixel " << x << "," << y;
            }
            for (std::uint32_t pad = 3 * width; pad < stride; ++pad) {
                EXPECT_EQ(0, bmp[54 + y * stride + pad]);
            }
        }
    }
    place(-32768, -5, 3, 3);
    captureFilterArea();
    EXPECT_EQ(-32768, grabbedAreas.back().x) << "screen positions stay signed";
    EXPECT_EQ(90u, file(8).size());
    EXPECT_TRUE(openFiles.empty());
}

TEST_F(Capture, NumbersSkipExistingFilesWrapAfter65535AndAFullFolderGetsNoFile) {
    for (std::uint16_t taken : {0, 1, 5, 65535}) {
        files[captureFileName(taken)] = {'o', 'l', 'd'};
    }
    captureFilterArea();
    EXPECT_EQ(7654u, file(2).size());
    EXPECT_EQ(3, viewerState.captureCounter);
    viewerState.captureCounter = 65535;
    captureFilterArea();
    EXPECT_EQ(7654u, file(3).size()) << "65535 and then 0, 1 are taken";
    EXPECT_EQ(4, viewerState.captureCounter);
    for (std::uint16_t taken : {0, 1, 5, 65535}) {
        EXPECT_EQ((Bytes{'o', 'l', 'd'}), file(taken)) << "an earlier file is never replaced";
    }
    // A full folder: no file, but the counter moves on.
    for (std::uint32_t number = 0; number < 65536; ++number) {
        files.emplace(captureFileName(static_cast<std::uint16_t>(number)), Bytes{});
    }
    viewerState.captureCounter = 100;
    captureFilterArea();
    EXPECT_EQ(65536u, files.size());
    EXPECT_TRUE(file(100).empty());
    EXPECT_EQ(101, viewerState.captureCounter);
    EXPECT_EQ(1, failureSignals);
}

TEST_F(Capture, ImagesTooLargeOrBuffersRefusedGiveNoFileAndNoGrab) {
    place(20, 20, 65535, 65535);
    captureFilterArea();
    EXPECT_LT(largestBuffer, 1u << 20) << "the size is checked before allocating";
    largeBuffersFail = true;
    place(20, 20, 1000, 1000);
    captureFilterArea();
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(grabbedAreas.empty());
    EXPECT_EQ(2, viewerState.captureCounter);
    EXPECT_EQ(2, failureSignals);
    EXPECT_EQ(std::nullopt, bmpImageSize(65535, 21846));
    EXPECT_EQ(4294901760u, bmpImageSize(65535, 21845)) << "the largest file below 2^32 bytes";
}

TEST_F(Capture, FailedWritesCreationsAndClosesLeaveNoPartialFile) {
    for (std::size_t writable : {0, 10, 54, 3000}) {
        writableBytes = writable;
        captureFilterArea();
    }
    writableBytes = SIZE_MAX;
    for (bool* fails : {&creationFails, &closesFail, &areaNotKept}) {
        *fails = true;
        captureFilterArea();
        *fails = false;
    }
    EXPECT_TRUE(files.empty()) << "an area the platform did not keep is never written black";
    EXPECT_TRUE(openFiles.empty());
    EXPECT_EQ(7, viewerState.captureCounter);
    EXPECT_EQ(7, failureSignals) << "every capture that wrote no file is signalled";

    grabFails = true;
    captureFilterArea();
    const Bytes& bmp = file(7);
    ASSERT_EQ(7654u, bmp.size()) << "a capture after failed ones writes a full file";
    EXPECT_EQ(Bytes(7600, 0), Bytes(bmp.begin() + 54, bmp.end())) << "a failed grab is black";
    EXPECT_EQ(7, failureSignals) << "a black picture is still a written file";
}

} // namespace
