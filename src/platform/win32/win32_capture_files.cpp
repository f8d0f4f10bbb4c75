// Windows file operations for the capture: the capture folder and the BMP files through the W
// file calls (the core's code page 932 names converted to UTF-16, so the names on disk are
// right whatever the system's code page), and the beep when a capture wrote no file. A file
// is only ever created new, never replaced.

#include "capture/capture.h"
#include "capture/capture_files.h"
#include "win32_code_page.h"

#include <windows.h>

void createFolderIfMissing(const char* folderName) {
    // Fails with ERROR_ALREADY_EXISTS when the folder is there, which is what is wanted.
    CreateDirectoryW(fromCodePage932(folderName).c_str(), nullptr);
}

NewFileResult createNewFile(const char* fileName, CaptureFile& file) {
    const HANDLE handle = CreateFileW(fromCodePage932(fileName).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
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
    DeleteFileW(fromCodePage932(fileName).c_str());
}

// A sound, not a message box: the picture must stay as it is for the next capture.
void signalCaptureFailed() {
    MessageBeep(MB_ICONHAND);
}
