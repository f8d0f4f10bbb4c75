// MappedFile (xfile/mapped_file.h) with POSIX calls. The file is opened non-blocking and
// without becoming a controlling terminal, and then checked on the open descriptor, so that a
// FIFO or a device put in a file's place is neither waited on nor read, and nothing can be
// swapped in between the check and the open. Large pages are asked for, and pages read let go,
// with madvise.

#include "xfile/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

MappedFile::~MappedFile() {
    if (data_ != nullptr) {
        munmap(const_cast<std::uint8_t*>(data_), size_);
    }
}

bool MappedFile::open(const char* fileName, std::string& error) {
    const int file = ::open(fileName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
        error = std::string("cannot open ") + fileName;
        return false;
    }
    struct stat status {};
    bool opened = fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    if (!opened) {
        error = std::string("cannot open ") + fileName + ": not a regular file";
    } else if (status.st_size > 0) {
        const std::size_t size = static_cast<std::size_t>(status.st_size);
        void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file, 0);
        opened = view != MAP_FAILED;
        if (opened) {
            madvise(view, size, MADV_SEQUENTIAL); // read ahead, and drop pages read
            data_ = static_cast<const std::uint8_t*>(view);
            size_ = size;
        } else {
            error = std::string("cannot map ") + fileName + " into memory";
        }
    }
    close(file);
    return opened;
}

// A private read-only mapping's pages were never written: dropped, they are read again from the
// file if touched.
void MappedFile::releaseBefore(const std::uint8_t* position) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t end = static_cast<std::size_t>(position - data_) / page * page;
    if (end > released_) {
        madvise(const_cast<std::uint8_t*>(data_) + released_, end - released_, MADV_DONTNEED);
        released_ = end;
    }
}

// Only whole 2 MiB pages inside the range: the advice must not reach memory the range does not own.
void adviseLargePages(void* data, std::size_t bytes) {
    constexpr std::uintptr_t largePage = std::uintptr_t{2} << 20;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + largePage - 1) & ~(largePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(largePage - 1);
#ifdef MADV_HUGEPAGE // Linux's
    if (end > first) {
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#endif
}
