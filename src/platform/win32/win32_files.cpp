// Whole files read through the W calls: implements win32_files.h.

#include "platform/win32/win32_files.h"

#include "platform/win32/win32_code_page.h"

#include <windows.h>

#include <cstdint>

std::vector<unsigned char> readWholeFile(const char* fileName) {
    std::vector<unsigned char> bytes;
    const HANDLE file =
        CreateFileW(fromCodePage932(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    LARGE_INTEGER size{};
    DWORD read = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < INT32_MAX) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
            read != bytes.size()) {
            bytes.clear();
        }
    }
    CloseHandle(file);
    return bytes;
}
