// Names of the capture files: "抜き取り画像保存フォルダ/<number>.bmp", relative to the working
// directory, numbered by the 16-bit running number captureCounter.
#pragma once

#include <cstdint>
#include <string>

extern const char* const captureFolderName;

// The file name for a capture number, the number in decimal without padding.
std::string captureFileName(std::uint16_t number);

// The number after this one; 65535 is followed by 0.
std::uint16_t nextCaptureNumber(std::uint16_t number);
