#include "capture/capture_numbering.h"

const char* const captureFolderName = "抜き取り画像保存フォルダ";

std::string captureFileName(std::uint16_t number) {
    return std::string(captureFolderName) + "/" + std::to_string(number) + ".bmp";
}

std::uint16_t nextCaptureNumber(std::uint16_t number) {
    return static_cast<std::uint16_t>(number + 1);
}
