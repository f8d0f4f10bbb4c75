// Windows file operations for the capture: the capture folder and the BMP files, through the
// ANSI file calls (names in code page 932). A file is only ever created new, never replaced.

#include "capture/capture_files.h"

#include <windows.h>

void createFolderIfMissing(const char* folderName) {
    // Fails with ERROR_ALREADY_EXISTS when the folder is there, which is what is wanted.
    CreateDirectoryA(folderName, nullptr);
}

NewFileResult createNewFile(const char* fileName, CaptureFile& file) {
    const HANDLE handle = CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return exists ? NewFileResult::alreadyExists : NewFileResult::failed;
    }
    file = handle;
    return NewFileResult::created;
}

bool writeToFile(CaptureFile file, const std::uint8_t* bytes, std::uint32_t count) {
    DWORD written = 0;
    return WriteFile(static_cast<HANDLE>(file), bytes, count, &written, nullptr) &&
           written == count;
}

bool closeFile(CaptureFile file) {
    return CloseHandle(static_cast<HANDLE>(file)) != 0;
}

void removeFile(const char* fileName) {
    DeleteFileA(fileName);
}
