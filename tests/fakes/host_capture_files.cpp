#include "host_capture_files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::size_t writableBytes = std::numeric_limits<std::size_t>::max();
bool closesFail = false;
bool creationFails = false;
int openFiles = 0;
int failureSignals = 0;

int descriptorOf(CaptureFile file) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(file));
}

} // namespace

namespace host_capture_files {

void failWritesAfter(std::size_t bytes) {
    writableBytes = bytes;
}

void failCloses(bool fail) {
    closesFail = fail;
}

void failCreation(bool fail) {
    creationFails = fail;
}

int failureSignalCount() {
    return failureSignals;
}

int openFileCount() {
    return openFiles;
}

void reset() {
    writableBytes = std::numeric_limits<std::size_t>::max();
    closesFail = false;
    creationFails = false;
    openFiles = 0;
    failureSignals = 0;
}

} // namespace host_capture_files

void createFolderIfMissing(const char* folderName) {
    std::error_code ignored;
    std::filesystem::create_directory(folderName, ignored);
}

NewFileResult createNewFile(const char* fileName, CaptureFile& file) {
    if (creationFails) {
        return NewFileResult::failed;
    }
    const int descriptor = open(fileName, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (descriptor < 0) {
        return errno == EEXIST ? NewFileResult::alreadyExists : NewFileResult::failed;
    }
    ++openFiles;
    file = reinterpret_cast<CaptureFile>(static_cast<std::intptr_t>(descriptor));
    return NewFileResult::created;
}

bool writeToFile(CaptureFile file, const std::uint8_t* bytes, std::uint32_t count) {
    const bool fits = count <= writableBytes;
    const std::size_t stored = fits ? count : writableBytes;
    writableBytes -= stored;
    const ssize_t written = write(descriptorOf(file), bytes, stored);
    return fits && written == static_cast<ssize_t>(count);
}

bool closeFile(CaptureFile file) {
    --openFiles;
    const bool closed = close(descriptorOf(file)) == 0;
    return closed && !closesFail;
}

void removeFile(const char* fileName) {
    std::remove(fileName);
}

void signalCaptureFailed() {
    ++failureSignals;
}
