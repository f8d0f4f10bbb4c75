// The capture's file operations on the host's real file system, with failures the tests can
// switch on: a write that stops part-way, a close that reports lost data, a creation refused.
#pragma once

#include "capture/capture_files.h"

#include <cstddef>

namespace host_capture_files {

// Lets the next writes store this many more bytes in all; the write that reaches past them
// stores what fits and fails.
void failWritesAfter(std::size_t bytes);

void failCloses(bool fail);

// Refuses to create files (as a full disk or a read-only folder would).
void failCreation(bool fail);

// How often the capture signalled that it wrote no file.
int failureSignalCount();

// Files that were created and are still open.
int openFileCount();

void reset();

} // namespace host_capture_files
