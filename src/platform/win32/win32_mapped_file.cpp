// MappedFile (xfile/mapped_file.h) with Win32 calls: the name converted from code page 932 for
// the W call, so that a Japanese name opens in any locale. Only a file on disk is mapped: a
// pipe, a console or another device is refused on the open handle, not read.

#include "xfile/mapped_file.h"

#include "platform/win32/win32_code_page.h"

#include <windows.h>

MappedFile::~MappedFile() {
    if (data_ != nullptr) {
        UnmapViewOfFile(data_);
    }
}

bool MappedFile::open(const char* fileName, std::string& error) {
    const HANDLE file =
        CreateFileW(fromCodePage932(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = std::string("cannot open ") + fileName;
        return false;
    }
    LARGE_INTEGER size{};
    bool opened = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
    if (!opened) {
        error = std::string("cannot open ") + fileName + ": not a regular file";
    } else if (size.QuadPart > 0) {
        const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        const void* view =
            mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (mapping != nullptr) {
            CloseHandle(mapping); // the view keeps the mapping alive
        }
        opened = view != nullptr;
        if (opened) {
            data_ = static_cast<const std::uint8_t*>(view);
            size_ = static_cast<std::size_t>(size.QuadPart);
        } else {
            error = std::string("cannot map ") + fileName + " into memory";
        }
    }
    CloseHandle(file);
    return opened;
}

// Nothing is asked of Windows here: it takes a mapped view's pages out of the working set by
// itself when memory runs short, and they cost nothing to drop (the file backs them).
void MappedFile::releaseBefore(const std::uint8_t*) {}

// Large pages on Windows need a privilege the viewer does not ask for.
void adviseLargePages(void*, std::size_t) {}
