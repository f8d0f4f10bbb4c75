// The .x loader at its bounds: memory that follows what a file holds rather than what its
// counts claim, a merge that stays linear, and paths that are not .x files (numbers at and past
// their limits are regression files, checked in x_mesh_test.cpp). Memory is read from this
// program's own heap: every allocation passes through the operator new below.

#include "mesh_holds_together.h"
#include "mszip_writer.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

namespace {

std::size_t liveBytes = 0, peakBytes = 0, totalBytes = 0;

} // namespace

// Each block counts at the size the heap gave it, which is at least the size asked for.
void* operator new(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    liveBytes += malloc_usable_size(block);
    totalBytes += malloc_usable_size(block);
    peakBytes = std::max(peakBytes, liveBytes);
    return block;
}

void operator delete(void* block) noexcept {
    liveBytes -= malloc_usable_size(block); // 0 for nullptr
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

namespace {

struct HeapUse {
    std::size_t peak;  // the most held at once above what was held before
    std::size_t total; // everything asked for
};

template <typename Work> HeapUse heapUseOf(Work work) {
    const std::size_t before = liveBytes;
    peakBytes = liveBytes;
    totalBytes = 0;
    work();
    return {peakBytes - before, totalBytes};
}

using mesh_check::parse;
using Outcome = mesh_check::Parsed;

const std::string textHeader = "xof 0303txt 0032\n";

// Counts that the file's size allows, then blanks: refused, having held far less than the
// counts would need (12 MB and more), and in the compressed form far less than the inflated
// blanks. Room made from the bytes may pass the file's size: a vertex's 3 numbers take 32 bytes.
TEST(XBoundsTest, CountsThatTheFileDoesNotBearOutCostNoMemory) {
    const std::string blanks(3u << 20, ' ');
    const std::string faces = " Mesh {\n 3;\n 0;0;0;, 1;0;0;, 0;1;0;;\n 1;\n 1000000;";
    const struct {
        std::string name;
        std::string file;
    } cases[] = {
        {"vertices", textHeader + " Mesh { 400000;" + blanks},
        {"corners", textHeader + faces + blanks},
        {"compressed",
         mszipFile("xof 0303tzip0032", " Mesh { 1000000;" + std::string(48u << 20, ' '))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome;
        const HeapUse use = heapUseOf([&] { outcome = parse(c.file); });
        EXPECT_FALSE(outcome.read);
        EXPECT_EQ("", mesh_check::outcomeFault(outcome)) << outcome.error;
        EXPECT_LT(use.peak, std::size_t{6} << 20) << use.peak;
    }
}

// Each mesh merged must not copy the meshes merged before it: what the whole load asks of the
// heap stays a small multiple of the finished mesh.
TEST(XBoundsTest, ManyMeshesMergeWithoutCopyingEachOther) {
    std::string file = textHeader;
    constexpr std::size_t meshes = 3000;
    for (std::size_t i = 0; i < meshes; ++i) {
        file += " Mesh {\n 3;\n " + std::to_string(i) +
                ";0.0;0.0;,\n 1.0;0.0;0.0;,\n 0.0;1.0;0.0;;\n 1;\n 3;0,1,2;;\n }\n";
    }
    Outcome outcome;
    const HeapUse use = heapUseOf([&] { outcome = parse(file); });
    ASSERT_TRUE(outcome.read) << outcome.error;
    ASSERT_EQ(meshes * 3, outcome.mesh.vertices.size());
    const std::size_t finished =
        outcome.mesh.vertices.size() * sizeof(XVertex) + outcome.mesh.indices.size() * 4 * 2;
    EXPECT_LT(use.total, 16 * finished) << use.total << " of " << finished;
}

// A folder is not a regular file (the native end-to-end test gives the viewer a FIFO in place of
// its model and checks it is never held open); a large file that is not a .x file is refused on
// its header, and one larger than any mesh could need on its size, unread.
TEST(XBoundsTest, PathsThatAreNotXFilesAreRefusedUnread) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("x_bounds_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    XMesh mesh;
    std::string error;
    EXPECT_FALSE(loadXFile(folder.c_str(), mesh, error));
    EXPECT_EQ("cannot open " + folder.string() + ": not a regular file", error);
    const struct {
        const char* header;
        std::uintmax_t size;
        const char* refusedAt;
    } large[] = {{"MZ\x90", std::uintmax_t{1} << 30, "byte 0: not a .x"},
                 {"xof 0303zip 0032", std::uintmax_t{1} << 30, "byte 8"},
                 {"xof 0303txt 0032", std::uintmax_t{32} << 30, "byte 0: a file larger"}};
    for (const auto& c : large) {
        const std::filesystem::path path = folder / "large.x";
        std::ofstream(path, std::ios::binary) << c.header;
        std::filesystem::resize_file(path, c.size); // sparse: no disk used
        const HeapUse use = heapUseOf([&] { EXPECT_FALSE(loadXFile(path.c_str(), mesh, error)); });
        EXPECT_EQ(0u, error.rfind(c.refusedAt, 0)) << error;
        EXPECT_LT(use.peak, std::size_t{1} << 20) << use.peak;
        EXPECT_TRUE(mesh.vertices.empty());
    }
    std::filesystem::remove_all(folder);
}

} // namespace
