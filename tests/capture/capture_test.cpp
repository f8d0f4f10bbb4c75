#include "capture/capture.h"
#include "capture/capture_numbering.h"
#include "fakes/fake_screen_grab.h"
#include "fakes/host_capture_files.h"
#include "state/viewer_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

// Every allocation of this test program passes here, so a test can see the largest block the
// capture asked for and can refuse large blocks as an exhausted heap would.
namespace {
constexpr std::size_t largeAllocation = 1 << 20;
std::size_t largestAllocation = 0;
bool largeAllocationsFail = false;

void* allocate(std::size_t size) noexcept {
    if (size > largestAllocation) {
        largestAllocation = size;
    }
    if (largeAllocationsFail && size > largeAllocation) {
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size) {
    if (void* block = allocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

namespace fs = std::filesystem;

std::uint32_t readLittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                               int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes.at(offset + i);
    }
    return value;
}

// A reader written from the file format alone, so that it shares no code with the writer.
struct BmpFile {
    std::vector<std::uint8_t> bytes;

    std::uint32_t field32(std::size_t offset) const { return readLittleEndian(bytes, offset, 4); }
    std::uint32_t field16(std::size_t offset) const { return readLittleEndian(bytes, offset, 2); }
    std::uint32_t width() const { return field32(18); }
    std::uint32_t height() const { return field32(22); }
    std::uint32_t stride() const { return (width() * 3 + 3) & ~3u; }

    // The pixel at column x of row y, counting rows from the top of the picture.
    std::size_t pixelOffset(std::uint32_t x, std::uint32_t y) const {
        return field32(10) + (height() - 1 - y) * stride() + 3 * x;
    }
    Rgb pixel(std::uint32_t x, std::uint32_t y) const {
        const std::size_t at = pixelOffset(x, y);
        return {bytes.at(at + 2), bytes.at(at + 1), bytes.at(at)};
    }
    bool paddingIsZero() const {
        for (std::uint32_t y = 0; y < height(); ++y) {
            for (std::size_t at = pixelOffset(width(), y); at < pixelOffset(0, y) + stride();
                 ++at) {
                if (bytes.at(at) != 0) {
                    return false;
                }
            }
        }
        return true;
    }
};

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path capturePath(std::uint16_t number) {
    return fs::path(captureFileName(number));
}

BmpFile readCapture(std::uint16_t number) {
    return {fileBytes(capturePath(number))};
}

bool samePixel(Rgb a, Rgb b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Each test runs in a fresh working folder that holds the capture folder.
class Capture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "capture_test_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        workFolder_ = pattern;
        previousFolder_ = fs::current_path();
        fs::current_path(workFolder_);
        fs::create_directory(captureFolderName);

        viewerState = ViewerState{};
        fake_screen::reset();
        host_capture_files::reset();
        largestAllocation = 0;
        largeAllocationsFail = false;
    }

    void TearDown() override {
        largeAllocationsFail = false;
        fs::current_path(previousFolder_);
        fs::remove_all(workFolder_);
    }

    static void placeFilter(std::int16_t x, std::int16_t y, std::uint16_t width,
                            std::uint16_t height) {
        viewerState.filterX = x;
        viewerState.filterY = y;
        viewerState.filterWidth = width;
        viewerState.filterHeight = height;
    }

    static void writeOldCapture(std::uint16_t number) {
        std::ofstream(capturePath(number)) << "old capture " << number;
    }

    static std::size_t captureFileCount() {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(captureFolderName), fs::directory_iterator()));
    }

  private:
    fs::path workFolder_;
    fs::path previousFolder_;
};

TEST_F(Capture, FirstCaptureOfTheWorkedExample) {
    captureFilterArea();

    const BmpFile file = readCapture(0);
    ASSERT_EQ(file.bytes.size(), 7654u);
    EXPECT_EQ(file.bytes[0], 'B');
    EXPECT_EQ(file.bytes[1], 'M');
    EXPECT_EQ(file.field32(2), 7654u);
    EXPECT_EQ(file.field32(6), 0u);
    EXPECT_EQ(file.field32(10), 54u);
    EXPECT_EQ(file.field32(14), 40u);
    EXPECT_EQ(file.width(), 50u);
    EXPECT_EQ(file.height(), 50u);
    EXPECT_EQ(file.field16(26), 1u);
    EXPECT_EQ(file.field16(28), 24u);
    EXPECT_EQ(file.field32(30), 0u);
    EXPECT_EQ(file.field32(34), 7600u);
    EXPECT_EQ(viewerState.captureCounter, 1);
    EXPECT_EQ(captureFileCount(), 1u);
}

TEST_F(Capture, SecondCaptureWritesTheNextNumber) {
    captureFilterArea();
    captureFilterArea();

    EXPECT_TRUE(fs::exists(capturePath(0)));
    EXPECT_EQ(fs::file_size(capturePath(1)), 7654u);
    EXPECT_EQ(viewerState.captureCounter, 2);
}

TEST_F(Capture, EveryRowPaddingReadsBackAsTheScreenUnderTheFilter) {
    const std::int32_t originX = 300;
    const std::int32_t originY = 200;
    fake_screen::placeClientOrigin(originX, originY);
    for (std::uint16_t width = 1; width <= 8; ++width) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        const std::uint16_t number = viewerState.captureCounter;
        placeFilter(-7, 11, width, 3);
        captureFilterArea();

        const BmpFile file = readCapture(number);
        ASSERT_EQ(file.bytes.size(), 54 + file.stride() * 3);
        ASSERT_EQ(file.field32(2), file.bytes.size());
        EXPECT_TRUE(file.paddingIsZero());
        for (std::uint32_t y = 0; y < 3; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                const Rgb expected = fake_screen::pixelAt(originX - 7 + x, originY + 11 + y);
                EXPECT_TRUE(samePixel(file.pixel(x, y), expected)) << "pixel " << x << "," << y;
            }
        }
    }
}

TEST_F(Capture, FileStartsWithTheBottomLeftPixelInBlueGreenRedOrder) {
    placeFilter(0, 0, 1, 2);
    captureFilterArea();

    const std::vector<std::uint8_t> bytes = fileBytes(capturePath(0));
    const Rgb bottomLeft = fake_screen::pixelAt(0, 1);
    ASSERT_EQ(bytes.size(), 54u + 2 * 4);
    EXPECT_EQ(bytes[54], bottomLeft.blue);
    EXPECT_EQ(bytes[55], bottomLeft.green);
    EXPECT_EQ(bytes[56], bottomLeft.red);
}

TEST_F(Capture, GrabKeepsNegativeFilterPositionsSigned) {
    placeFilter(-32768, -5, 3, 3);
    captureFilterArea();

    ASSERT_EQ(fake_screen::grabbedAreas().size(), 1u);
    EXPECT_EQ(fake_screen::grabbedAreas()[0].x, -32768);
    EXPECT_EQ(fake_screen::grabbedAreas()[0].y, -5);
}

TEST_F(Capture, SmallestFilterGivesNinetyBytes) {
    placeFilter(20, 20, 3, 3);
    captureFilterArea();

    const BmpFile file = readCapture(0);
    EXPECT_EQ(file.bytes.size(), 90u);
    EXPECT_EQ(file.field32(34), 36u);
}

TEST_F(Capture, NumberWrapsToZeroAfter65535) {
    viewerState.captureCounter = 65535;
    captureFilterArea();
    EXPECT_TRUE(fs::exists(capturePath(65535)));
    EXPECT_EQ(viewerState.captureCounter, 0);

    captureFilterArea();
    EXPECT_TRUE(fs::exists(capturePath(0)));
    EXPECT_EQ(viewerState.captureCounter, 1);
}

TEST_F(Capture, ExistingFilesAreSkippedAndLeftAlone) {
    writeOldCapture(0);
    writeOldCapture(1);
    writeOldCapture(5);

    captureFilterArea();
    EXPECT_EQ(fs::file_size(capturePath(2)), 7654u);
    EXPECT_EQ(viewerState.captureCounter, 3);

    viewerState.captureCounter = 5;
    captureFilterArea();
    EXPECT_EQ(fs::file_size(capturePath(6)), 7654u);
    EXPECT_EQ(viewerState.captureCounter, 7);

    for (std::uint16_t old : {0, 1, 5}) {
        const std::vector<std::uint8_t> bytes = fileBytes(capturePath(old));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old capture " + std::to_string(old));
    }
    EXPECT_FALSE(fs::exists(capturePath(3)));
}

TEST_F(Capture, SearchForAFreeNumberWrapsPast65535) {
    writeOldCapture(65535);
    viewerState.captureCounter = 65535;
    captureFilterArea();

    EXPECT_EQ(fs::file_size(capturePath(0)), 7654u);
    EXPECT_EQ(viewerState.captureCounter, 1);
}

TEST_F(Capture, FullFolderGetsNoFileAndNothingIsReplaced) {
    for (std::uint32_t number = 0; number < 65536; ++number) {
        std::ofstream(capturePath(static_cast<std::uint16_t>(number)));
    }
    viewerState.captureCounter = 100;
    captureFilterArea();

    EXPECT_EQ(captureFileCount(), 65536u);
    EXPECT_EQ(fs::file_size(capturePath(100)), 0u);
    EXPECT_EQ(viewerState.captureCounter, 101);
    EXPECT_EQ(host_capture_files::failureSignalCount(), 1);
}

TEST_F(Capture, ImageTooLargeForABmpGivesNoFileAndNoLargeAllocation) {
    placeFilter(20, 20, 65535, 65535);
    captureFilterArea();

    EXPECT_EQ(captureFileCount(), 0u);
    EXPECT_LT(largestAllocation, largeAllocation);
    EXPECT_TRUE(fake_screen::grabbedAreas().empty());
    EXPECT_EQ(viewerState.captureCounter, 1);
    EXPECT_EQ(host_capture_files::failureSignalCount(), 1);
}

TEST_F(Capture, BufferThatCannotBeHadGivesNoFile) {
    placeFilter(20, 20, 1000, 1000);
    largeAllocationsFail = true;
    captureFilterArea();
    largeAllocationsFail = false;

    EXPECT_EQ(captureFileCount(), 0u);
    EXPECT_TRUE(fake_screen::grabbedAreas().empty());
    EXPECT_EQ(viewerState.captureCounter, 1);
}

TEST_F(Capture, FailedGrabGivesABlackPicture) {
    fake_screen::failGrabs(true);
    placeFilter(20, 20, 5, 4);
    captureFilterArea();

    const BmpFile file = readCapture(0);
    ASSERT_EQ(file.bytes.size(), 54u + 16 * 4);
    EXPECT_TRUE(std::all_of(file.bytes.begin() + 54, file.bytes.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
}

TEST_F(Capture, WriteFailingPartWayLeavesNoPartialFile) {
    for (std::size_t writable : {0, 10, 54, 3000}) {
        SCOPED_TRACE(testing::Message() << "writes fail after " << writable << " bytes");
        host_capture_files::failWritesAfter(writable);
        captureFilterArea();

        EXPECT_EQ(captureFileCount(), 0u);
        EXPECT_EQ(host_capture_files::openFileCount(), 0);
    }
    EXPECT_EQ(viewerState.captureCounter, 4);
    EXPECT_EQ(host_capture_files::failureSignalCount(), 4);
}

TEST_F(Capture, CaptureAfterAFailedOneWritesAFullFile) {
    host_capture_files::failWritesAfter(100);
    captureFilterArea();
    host_capture_files::reset();
    captureFilterArea();

    EXPECT_FALSE(fs::exists(capturePath(0)));
    EXPECT_EQ(fs::file_size(capturePath(1)), 7654u);
    EXPECT_EQ(host_capture_files::failureSignalCount(), 0); // a written file is not signalled
}

TEST_F(Capture, RefusedFileOrLostCloseGivesNoFileButTheCounterMovesOn) {
    for (void (*fail)(bool) : {host_capture_files::failCreation, host_capture_files::failCloses}) {
        host_capture_files::reset();
        fail(true);
        viewerState.captureCounter = 0;
        captureFilterArea();

        EXPECT_EQ(captureFileCount(), 0u);
        EXPECT_EQ(viewerState.captureCounter, 1);
    }
}

TEST_F(Capture, MissingFolderIsCreated) {
    fs::remove(captureFolderName);
    captureFilterArea();

    EXPECT_TRUE(fs::is_directory(captureFolderName));
    EXPECT_EQ(fs::file_size(capturePath(0)), 7654u);
}

} // namespace
