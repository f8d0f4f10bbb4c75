// The .x loader at its bounds: numbers at and past their limits, the laxness real files need
// (as D3DXLoadMeshFromX reads them, observed with tools/d3dx_probe.cpp under Wine), memory that
// follows what a file holds rather than what its counts claim, a merge that stays linear, and
// paths that are not .x files. Memory is read from this program's own heap: every allocation
// passes through the operator new below.

#include "mesh_holds_together.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

namespace {

std::size_t liveBytes = 0, peakBytes = 0, totalBytes = 0;
constexpr std::size_t sizeSlot = alignof(std::max_align_t);

} // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + sizeSlot));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    std::memcpy(block, &size, sizeof size);
    liveBytes += size;
    totalBytes += size;
    peakBytes = std::max(peakBytes, liveBytes);
    return block + sizeSlot;
}

void operator delete(void* pointer) noexcept {
    if (pointer != nullptr) {
        auto* block = static_cast<unsigned char*>(pointer) - sizeSlot;
        std::size_t size = 0;
        std::memcpy(&size, block, sizeof size);
        liveBytes -= size;
        std::free(block);
    }
}

void operator delete(void* pointer, std::size_t) noexcept {
    operator delete(pointer);
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

struct Outcome {
    bool read;
    XMesh mesh;
    std::string error;
};

Outcome parse(const std::string& file) {
    Outcome outcome{};
    outcome.read = parseXFile(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(),
                              outcome.mesh, outcome.error);
    return outcome;
}

// One triangle whose first vertex's x and third corner are given as the file writes them.
std::string triangle(const std::string& x, const std::string& corner,
                     const std::string& after = "") {
    return " Mesh {\n 3;\n " + x + ";0.0;0.0;,\n 1.0;0.0;0.0;,\n 0.0;1.0;0.0;;\n 1;\n 3;0,1," +
           corner + ";;\n" + after + " }\n";
}

const std::string textHeader = "xof 0303txt 0032\n";

void expectRefusedAt(const Outcome& outcome, const std::string& place) {
    EXPECT_FALSE(outcome.read);
    EXPECT_EQ(0u, outcome.error.rfind(place, 0)) << outcome.error;
    EXPECT_TRUE(outcome.mesh.vertices.empty() && outcome.mesh.materials.empty());
}

TEST(XBoundsTest, NumbersAreReadWithinTheirRangesOrRefusedWithTheirLine) {
    const struct {
        const char* x;
        const char* corner;
        const char* refusedAt; // nullptr: read
        float readX;
    } cases[] = {
        {"0.5", "2", nullptr, 0.5f},         {"+2", "2.0", nullptr, 2.0f},
        {"1e-50", "2", nullptr, 0.0f},       {"-3.4e38", "2", nullptr, -3.4e38f},
        {"nan", "2", "line 4", 0},           {"-inf", "2", "line 4", 0},
        {"1.#QNAN", "2", "line 4", 0},       {"1e39", "2", "line 4", 0},
        {"0.5", "4294967296", "line 8", 0},  {"0.5", "4294967296.0", "line 8", 0},
        {"0.5", "99999999999", "line 8", 0}, {"0.5", "-1", "line 8", 0},
        {"0.5", "2.5", "line 8", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.x) + " / " + c.corner);
        const Outcome outcome = parse(textHeader + triangle(c.x, c.corner));
        if (c.refusedAt != nullptr) {
            expectRefusedAt(outcome, c.refusedAt);
            continue;
        }
        ASSERT_TRUE(outcome.read) << outcome.error;
        EXPECT_EQ(c.readX, outcome.mesh.vertices.at(0).position[0]);
        EXPECT_EQ((std::vector<std::uint32_t>{0, 1, 2}), outcome.mesh.indices);
    }
}

// A frame matrix that is not finite is refused like any such number; finite frames that move a
// vertex past float's range give 0 there, never inf or NaN.
TEST(XBoundsTest, FramesNeverHandOnNumbersThatAreNotFinite) {
    const std::string frame = "Frame F {\n FrameTransformMatrix { ";
    expectRefusedAt(parse(textHeader + frame + "nan,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n" +
                          triangle("1.0", "2") + "}\n"),
                    "line 3");
    const Outcome far =
        parse(textHeader + frame + "1e30,0,0,0, 0,1e30,0,0, 0,0,1,0, 0,0,0,1;; }\n" +
              triangle("1e30", "2") + "}\n");
    ASSERT_TRUE(far.read) << far.error;
    EXPECT_EQ("", mesh_check::meshFault(far.mesh));
    EXPECT_EQ(0.0f, far.mesh.vertices[0].position[0]);
    EXPECT_EQ(1e30f, far.mesh.vertices[1].position[0]);
}

// D3DX ends a file's data at a top-level '}' and keeps the meshes before it; it refuses a
// material list that names no material read before it.
TEST(XBoundsTest, StrayBracesAndMissingMaterialsAreTakenAsD3DXTakesThem) {
    const std::string red = "Material Red { 1.0;0.0;0.0;1.0;; 8.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; }\n";
    const Outcome strayAfter =
        parse(textHeader + triangle("0.0", "2") + "}\n" + triangle("5.0", "2"));
    ASSERT_TRUE(strayAfter.read) << strayAfter.error;
    EXPECT_EQ(3u, strayAfter.mesh.vertices.size());
    EXPECT_EQ("", mesh_check::meshFault(strayAfter.mesh));
    expectRefusedAt(parse(textHeader + "}\n" + triangle("0.0", "2")), "line 2");
    const std::string list = " MeshMaterialList { 1; 1; 0;; { Red } }\n";
    const Outcome named = parse(textHeader + red + triangle("0.0", "2", list));
    ASSERT_TRUE(named.read) << named.error;
    EXPECT_EQ(1.0f, named.mesh.materials.at(0).diffuse[0]);
    expectRefusedAt(parse(textHeader + triangle("0.0", "2", list)), "line 9");
}

// MSZIP blocks of `body`, each packed on its own.
std::string compressed(const std::string& header, const std::string& body) {
    std::string file = header;
    const std::uint32_t stated = static_cast<std::uint32_t>(16 + body.size());
    file.append(reinterpret_cast<const char*>(&stated), 4);
    constexpr std::size_t blockSize = 32768;
    for (std::size_t at = 0; at < body.size(); at += blockSize) {
        const std::size_t size = std::min(blockSize, body.size() - at);
        z_stream stream{};
        deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        std::string packed(deflateBound(&stream, size), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + at));
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = static_cast<uInt>(packed.size());
        deflate(&stream, Z_FINISH);
        packed.resize(stream.total_out);
        deflateEnd(&stream);
        const std::uint16_t sizes[2] = {static_cast<std::uint16_t>(size),
                                        static_cast<std::uint16_t>(packed.size() + 2)};
        file.append(reinterpret_cast<const char*>(sizes), 4).append("CK").append(packed);
    }
    return file;
}

// Counts that the file's size allows, then blanks: refused, having held far less than the
// counts would need, and in the compressed form far less than the inflated blanks.
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
         compressed("xof 0303tzip0032", " Mesh { 1000000;" + std::string(48u << 20, ' '))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome;
        const HeapUse use = heapUseOf([&] { outcome = parse(c.file); });
        EXPECT_FALSE(outcome.read);
        EXPECT_TRUE(mesh_check::startsWithPlace(outcome.error)) << outcome.error;
        EXPECT_LT(use.peak, std::size_t{3} << 20) << use.peak;
    }
}

// Each mesh merged must not copy the meshes merged before it: what the whole load asks of the
// heap stays a small multiple of the finished mesh.
TEST(XBoundsTest, ManyMeshesMergeWithoutCopyingEachOther) {
    std::string file = textHeader;
    constexpr std::size_t meshes = 3000;
    for (std::size_t i = 0; i < meshes; ++i) {
        file += triangle(std::to_string(i), "2");
    }
    Outcome outcome;
    const HeapUse use = heapUseOf([&] { outcome = parse(file); });
    ASSERT_TRUE(outcome.read) << outcome.error;
    ASSERT_EQ(meshes * 3, outcome.mesh.vertices.size());
    const std::size_t finished =
        outcome.mesh.vertices.size() * sizeof(XVertex) + outcome.mesh.indices.size() * 4 * 2;
    EXPECT_LT(use.total, 16 * finished) << use.total << " of " << finished;
}

// A path that is not a regular file counts as missing and is never opened (a pipe would block
// the read); a large file that is not a .x file is refused on its header, unread.
TEST(XBoundsTest, PathsThatAreNotXFilesAreRefusedUnread) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("x_bounds_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path pipe = folder / "pipe.x";
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    for (const std::filesystem::path& path : {folder, pipe}) {
        XMesh mesh;
        std::string error;
        EXPECT_FALSE(loadXFile(path.c_str(), mesh, error));
        EXPECT_EQ("cannot open " + path.string(), error);
    }
    const struct {
        const char* header;
        const char* refusedAt;
    } large[] = {{"MZ\x90", "byte 0"}, {"xof 0303zip 0032", "byte 8"}};
    for (const auto& c : large) {
        const std::filesystem::path path = folder / "large.x";
        std::ofstream(path, std::ios::binary) << c.header;
        std::filesystem::resize_file(path, std::uintmax_t{1} << 30); // sparse: no disk used
        XMesh mesh;
        std::string error;
        const HeapUse use = heapUseOf([&] { EXPECT_FALSE(loadXFile(path.c_str(), mesh, error)); });
        EXPECT_EQ(0u, error.rfind(c.refusedAt, 0)) << error;
        EXPECT_LT(use.peak, std::size_t{1} << 20) << use.peak;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
