#include "capture/capture.h"

#include "capture/bmp_image.h"
#include "capture/capture_files.h"
#include "capture/capture_numbering.h"
#include "capture/screen_grab.h"
#include "state/viewer_state.h"

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace {

// Every 16-bit capture number, each tried once when looking for a free file name.
constexpr std::uint32_t captureNumberCount = 65536;

struct CaptureImage {
    std::uint16_t width;
    std::uint16_t height;
    std::uint32_t imageSize;
    std::unique_ptr<std::uint8_t[]> pixelRows;
};

// The image's pixel rows, zero-filled before the grab so that a failed grab gives black. No
// image when the file could not hold it, its buffer cannot be had (the size is checked before
// anything is allocated) or the platform has no pixels for the area.
std::optional<CaptureImage> grabFilterArea() {
    const std::uint16_t width = viewerState.filterWidth;
    const std::uint16_t height = viewerState.filterHeight;
    const std::optional<std::uint32_t> imageSize = bmpImageSize(width, height);
    if (!imageSize) {
        return std::nullopt;
    }
    std::unique_ptr<std::uint8_t[]> pixelRows(new (std::nothrow) std::uint8_t[*imageSize]());
    if (!pixelRows) {
        return std::nullopt;
    }
    if (!grabScreenArea({viewerState.filterX, viewerState.filterY, width, height},
                        pixelRows.get())) {
        return std::nullopt;
    }
    return CaptureImage{width, height, *imageSize, std::move(pixelRows)};
}

bool writeImage(CaptureFile file, const CaptureImage& image) {
    const auto headers = bmpHeaders(image.width, image.height);
    return writeToFile(file, headers.data(), bmpHeadersSize) &&
           writeToFile(file, image.pixelRows.get(), image.imageSize);
}

// Writes the whole file or, failing part-way, removes what was written of it.
bool writeCompleteFile(CaptureFile file, const std::string& fileName, const CaptureImage& image) {
    const bool written = writeImage(file, image);
    const bool closed = closeFile(file);
    if (written && closed) {
        return true;
    }
    removeFile(fileName.c_str());
    return false;
}

// Writes the image under the first number from `first` on whose file does not exist yet, so
// that no earlier capture is ever replaced. The number used, if any file was written.
std::optional<std::uint16_t> writeToFirstFreeNumber(std::uint16_t first,
                                                    const CaptureImage& image) {
    createFolderIfMissing(captureFolderName);
    std::uint16_t number = first;
    for (std::uint32_t tried = 0; tried < captureNumberCount; ++tried) {
        const std::string fileName = captureFileName(number);
        CaptureFile file = nullptr;
        switch (createNewFile(fileName.c_str(), file)) {
        case NewFileResult::created:
            if (!writeCompleteFile(file, fileName, image)) {
                return std::nullopt;
            }
            return number;
        case NewFileResult::alreadyExists:
            number = nextCaptureNumber(number);
            break;
        case NewFileResult::failed:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

void captureFilterArea() {
    std::optional<CaptureImage> image = grabFilterArea();
    std::optional<std::uint16_t> written;
    if (image) {
        written = writeToFirstFreeNumber(viewerState.captureCounter, *image);
    }
    if (!written) {
        signalCaptureFailed();
    }
    // With no file written the counter still moves on by one: the next capture looks for a
    // free name from there, so skipping a number never costs a file.
    viewerState.captureCounter = nextCaptureNumber(written.value_or(viewerState.captureCounter));
}
