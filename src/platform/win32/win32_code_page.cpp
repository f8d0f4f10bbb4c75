// Conversions between the core's code page 932 bytes and the UTF-16 of the W calls.

#include "win32_code_page.h"

#include <windows.h>

namespace {
constexpr UINT japaneseCodePage = 932;
}

std::wstring fromCodePage932(const char* text) {
    const int length = MultiByteToWideChar(japaneseCodePage, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(japaneseCodePage, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1)); // without the terminating zero
    return wide;
}

std::string toCodePage932(const wchar_t* text) {
    const int length =
        WideCharToMultiByte(japaneseCodePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(japaneseCodePage, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(length - 1));
    return narrow;
}
