// Linux file operations for the capture: the capture folder and the BMP files through POSIX
// calls. Names arrive in code page 932 and are created in UTF-8, so the folder and the files
// carry their Japanese names on disk; and the sign when a capture wrote no file. A file is only
// ever created new (O_EXCL), never replaced.

#include "capture/capture.h"
#include "capture/capture_files.h"

#include "iconv_code_page.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int descriptorOf(CaptureFile file) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(file));
}

} // namespace

void createFolderIfMissing(const char* folderName) {
    // Fails with EEXIST when the folder is there, which is what is wanted.
    mkdir(utf8FromCp932(folderName).c_str(), 0777);
}

NewFileResult createNewFile(const char* fileName, CaptureFile& file) {
    const int descriptor =
        open(utf8FromCp932(fileName).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return errno == EEXIST ? NewFileResult::alreadyExists : NewFileResult::failed;
    }
    file = reinterpret_cast<CaptureFile>(static_cast<std::intptr_t>(descriptor));
    return NewFileResult::created;
}

bool writeToFile(CaptureFile file, const std::uint8_t* bytes, std::uint32_t count) {
    std::uint32_t written = 0;
    while (written < count) {
        const ssize_t result = write(descriptorOf(file), bytes + written, count - written);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            return false;
        }
        written += static_cast<std::uint32_t>(result);
    }
    return true;
}

bool closeFile(CaptureFile file) {
    return close(descriptorOf(file)) == 0;
}

void removeFile(const char* fileName) {
    unlink(utf8FromCp932(fileName).c_str());
}

// There is no system beep to ask for here: the terminal's bell and a line on standard error.
void signalCaptureFailed() {
    std::fputs("\acapture: no file was written\n", stderr);
}
