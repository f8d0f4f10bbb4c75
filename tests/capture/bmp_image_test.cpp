#include "capture/bmp_image.h"
#include "capture/capture_numbering.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ImageSizeCase {
    std::uint16_t width;
    std::uint16_t height;
    std::uint32_t rowLength;
    std::uint32_t imageSize;
};

TEST(BmpImage, RowsArePaddedToFourBytesAndImageSizeFollows) {
    const std::vector<ImageSizeCase> cases = {
        {1, 1, 4, 4},
        {2, 1, 8, 8},
        {3, 3, 12, 36},
        {4, 2, 12, 24},
        {5, 1, 16, 16},
        {50, 50, 152, 7600},
        {52, 10, 156, 1560},
        {592, 576, 1776, 1022976},
        {65535, 1, 196608, 196608},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(paddedRowLength(c.width), c.rowLength);
        EXPECT_EQ(bmpImageSize(c.width, c.height), c.imageSize);
    }
}

TEST(BmpImage, ImageWhoseFileOutgrowsThirtyTwoBitsHasNoSize) {
    // 196608 × 21845 + 54 is the largest file below 2^32; one row more passes it.
    EXPECT_EQ(bmpImageSize(65535, 21845), 4294901760u);
    EXPECT_EQ(bmpImageSize(65535, 21846), std::nullopt);
    EXPECT_EQ(bmpImageSize(65535, 65535), std::nullopt);
}

TEST(BmpImage, HeadersOfTheWorkedExample) {
    const std::array<std::uint8_t, 54> expected = {
        'B',  'M',                          // type
        0xE6, 0x1D, 0x00, 0x00,             // file size 7654
        0x00, 0x00, 0x00, 0x00,             // reserved
        0x36, 0x00, 0x00, 0x00,             // pixel rows at 54
        0x28, 0x00, 0x00, 0x00,             // info header size 40
        0x32, 0x00, 0x00, 0x00,             // width 50
        0x32, 0x00, 0x00, 0x00,             // height 50, bottom-up
        0x01, 0x00, 0x18, 0x00,             // 1 plane, 24 bits
        0x00, 0x00, 0x00, 0x00,             // uncompressed
        0xB0, 0x1D, 0x00, 0x00,             // image size 7600
        0,    0,    0,    0,    0, 0, 0, 0, // resolution
        0,    0,    0,    0,    0, 0, 0, 0, // colours used, important
    };
    EXPECT_EQ(bmpHeaders(50, 50), expected);
}

TEST(BmpImage, HeadersOfTheLargestSizesKeepEveryByte) {
    const auto headers = bmpHeaders(65535, 21845);
    const std::vector<std::uint8_t> fileSize(headers.begin() + 2, headers.begin() + 6);
    const std::vector<std::uint8_t> width(headers.begin() + 18, headers.begin() + 22);
    const std::vector<std::uint8_t> height(headers.begin() + 22, headers.begin() + 26);
    EXPECT_EQ(fileSize, (std::vector<std::uint8_t>{0x36, 0x00, 0xFF, 0xFF}));
    EXPECT_EQ(width, (std::vector<std::uint8_t>{0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(height, (std::vector<std::uint8_t>{0x55, 0x55, 0x00, 0x00}));
}

TEST(CaptureNumbering, NamesAreTheNumberInDecimalInsideTheFolder) {
    EXPECT_EQ(captureFileName(0), "抜き取り画像保存フォルダ/0.bmp");
    EXPECT_EQ(captureFileName(7), "抜き取り画像保存フォルダ/7.bmp");
    EXPECT_EQ(captureFileName(65535), "抜き取り画像保存フォルダ/65535.bmp");
}

TEST(CaptureNumbering, NumberAfter65535IsZero) {
    EXPECT_EQ(nextCaptureNumber(0), 1);
    EXPECT_EQ(nextCaptureNumber(65534), 65535);
    EXPECT_EQ(nextCaptureNumber(65535), 0);
}

} // namespace
