// The .x loader against fixtures of our own (tools/make_x_fixtures.py writes them): every form
// of one cube gives the same mesh, frames move their meshes, and damaged files give an error
// with a place instead of a mesh.

#include "mesh_holds_together.h"
#include "mszip_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

const std::filesystem::path fixtures = XFILE_FIXTURES;
using Floats = std::vector<float>;

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

XMesh load(const char* name) {
    XMesh mesh;
    std::string error;
    EXPECT_TRUE(loadXFile((fixtures / name).string().c_str(), mesh, error)) << error;
    EXPECT_EQ("", mesh_check::meshFault(mesh)) << name;
    return mesh;
}

void expectSameMesh(const XMesh& expected, const XMesh& actual) {
    ASSERT_EQ(expected.vertices.size(), actual.vertices.size());
    EXPECT_EQ(0, std::memcmp(expected.vertices.data(), actual.vertices.data(),
                             expected.vertices.size() * sizeof(XVertex)));
    EXPECT_EQ(expected.indices, actual.indices);
    EXPECT_EQ(expected.attributes, actual.attributes);
    EXPECT_EQ(expected.colours, actual.colours);
    ASSERT_EQ(expected.materials.size(), actual.materials.size());
    for (std::size_t i = 0; i < expected.materials.size(); ++i) {
        // The colours and the power, not the padding before the name.
        EXPECT_EQ(0, std::memcmp(&expected.materials[i], &actual.materials[i],
                                 offsetof(XMaterial, emissive) + sizeof(XMaterial::emissive)));
        EXPECT_EQ(expected.materials[i].textureFileName, actual.materials[i].textureFileName);
    }
}

const char* const forms[] = {"txt", "bin", "tzip", "bzip", "64.txt", "64.bin"};

std::string fixtureName(const char* mesh, const char* form) {
    return std::string(mesh) + (form[0] == '6' ? "" : ".") + form + ".x";
}

TEST(XMeshTest, EveryFormOfAFileGivesTheSameMesh) {
    for (const char* mesh : {"cube", "frames"}) {
        const XMesh text = load(fixtureName(mesh, "txt").c_str());
        for (const char* form : forms) {
            SCOPED_TRACE(fixtureName(mesh, form));
            expectSameMesh(text, load(fixtureName(mesh, form).c_str()));
        }
    }
}

// Each face of the cube gives its corners one normal, along the axis on which they lie at 1, and
// each corner gets its position's texture coordinate. Three face indices (1, 0, 1) for six faces:
// the last one holds for the rest. Material 0 is a reference to the file's top-level "Red",
// material 1 is written in place with a texture.
TEST(XMeshTest, CubeReadsNormalsTexcoordsAndMaterials) {
    const XMesh cube = load("cube.txt.x");
    ASSERT_EQ(36u, cube.indices.size());
    EXPECT_TRUE(cube.hasNormals && cube.hasTexcoords);
    for (std::size_t c = 0; c < 36; ++c) {
        const XVertex& v = cube.vertices.at(cube.indices[c]);
        const float *n = cube.vertices.at(cube.indices[c - c % 3]).normal, *p = v.position;
        EXPECT_EQ((Floats{n, n + 3}), (Floats{v.normal, v.normal + 3})) << c;
        EXPECT_EQ(1, n[0] * p[0] + n[1] * p[1] + n[2] * p[2]) << c;
        EXPECT_EQ((Floats{(p[0] + 1) / 2, (p[1] + 1) / 2}), (Floats{v.texcoord, v.texcoord + 2}));
    }
    EXPECT_EQ((std::vector<std::uint32_t>{1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1}), cube.attributes);
    ASSERT_EQ(2u, cube.materials.size());
    const XMaterial& red = cube.materials[0];
    EXPECT_EQ((Floats{1, 0, 0, 1, 8, 1, 1, 1, 0, 0, 0}), (Floats{red.diffuse, red.emissive + 3}));
    EXPECT_EQ("", red.textureFileName);
    const XMaterial& painted = cube.materials[1];
    EXPECT_EQ((Floats{0.5f, 0.25f, 0.75f, 0.5f, 16, 0.25f, 0.25f, 0.25f, 0, 0.5f, 0}),
              (Floats{painted.diffuse, painted.emissive + 3}));
    EXPECT_EQ("C:\\models\\cube.bmp", painted.textureFileName);
}

// The pentagon sits in frame "inner" (a quarter turn about z, then up 5) inside frame 1 (right
// 10): (x, y, z) lands on (10 - y, 5 + x, z). Only the pentagon has vertex colours: channels
// clamped and rounded, the later of two for vertex 2, an entry past its vertices passed over, its
// unnamed vertices white with alpha 0 and the plain mesh's 0, as D3DX gives them.
TEST(XMeshTest, FramesMoveTheirMeshesAndVertexColoursAreRead) {
    const XMesh mesh = load("frames.txt.x");
    const float* moved = mesh.vertices.at(0).position;
    EXPECT_EQ((Floats{10, 6, 0}), (Floats{moved, moved + 3}));
    EXPECT_EQ((std::vector<std::uint32_t>{0xFFFF8000, 0x00FFFFFF, 0xFF0000FF, 0x80FF0040,
                                          0x00FFFFFF, 0, 0, 0}),
              mesh.colours);
}

// Every form cut short anywhere past its header is refused with the place of the fault and no
// mesh.
TEST(XMeshTest, DamagedFilesGiveAnErrorWithAPlaceAndNoMesh) {
    for (const char* form : forms) {
        const std::string whole = bytesOf(fixtures / fixtureName("cube", form));
        for (std::size_t cut = 16; cut < whole.size(); cut += 1 + whole.size() / 97) {
            const mesh_check::Parsed cutShort = mesh_check::parse(whole.substr(0, cut));
            EXPECT_FALSE(cutShort.read) << form << " cut at " << cut;
            EXPECT_EQ("", mesh_check::outcomeFault(cutShort)) << cutShort.error;
        }
    }
}

// Binary float lists are read in runs straight from the window; compressed, the window holds
// about 1 MiB at a time. A mesh whose positions run past it, numbers straddling its end (the
// mesh's name has an odd length), gives the same mesh as the plain file, at either float size.
TEST(XMeshTest, BinaryListsAcrossTheInflatedWindowReadAsPlain) {
    constexpr std::uint32_t numbers = 300000;
    const auto number = [](std::uint32_t i) { return i * 0.5 + i % 7 * 1e-3; };
    for (const std::size_t floatSize : {4, 8}) {
        std::string body;
        const auto add = [&](auto value, std::size_t bytes) {
            body.append(reinterpret_cast<const char*>(&value), bytes);
        };
        add(1, 2), add(4, 4), body += "Mesh", add(1, 2), add(1, 4), body += "G", add(10, 2);
        add(6, 2), add(1, 4), add(numbers / 3, 4), add(7, 2), add(numbers, 4);
        for (std::uint32_t i = 0; i < numbers; ++i) {
            floatSize == 4 ? add(static_cast<float>(number(i)), 4) : add(number(i), 8);
        }
        add(6, 2), add(1, 4), add(0, 4), add(11, 2); // no faces
        const std::string floats = floatSize == 4 ? "0032" : "0064",
                          plain = "xof 0303bin " + floats;
        const XMesh compressed = mesh_check::parse(mszipFile("xof 0303bzip" + floats, body)).mesh;
        expectSameMesh(mesh_check::parse(plain + body).mesh, compressed);
        ASSERT_EQ(numbers / 3, compressed.vertices.size());
        EXPECT_EQ(static_cast<float>(number(numbers - 1)), compressed.vertices.back().position[2]);
    }
}

// Lines are counted over what the window has passed as it moved: a fault past the first
// megabyte is placed on its line, plain and compressed alike.
TEST(XMeshTest, AFaultPastTheFirstMegabyteNamesItsLine) {
    std::string body = "\n";
    for (int line = 0; line < 200000; ++line) {
        body += "// a comment\n";
    }
    body += "Mesh { 1; nan; }\n";
    const std::string fault = "line 200002: a number that is not finite";
    EXPECT_EQ(0u, mesh_check::parse("xof 0303txt 0032" + body).error.find(fault));
    EXPECT_EQ(0u, mesh_check::parse(mszipFile("xof 0303tzip0032", body))
                      .error.find("inflated data, " + fault));
}

// Inputs that broke the loader or other readers of the format (found by fuzzing or by hand;
// tools/make_x_regressions.py writes most of them): each is read into a mesh that holds
// together ("") or refused with the start of its line, place first. Under the sanitizers,
// nothing worse either.
TEST(XMeshTest, RegressionFilesAreReadOrRefusedWithTheirLine) {
    const std::map<std::string, std::string> expected = {
        {"binary-skipped-object-with-an-empty-list.x", ""},
        {"binary-words-at-their-limit.x", ""},
        {"compressed-block-balloons.x", "byte 20: a block inflates past"},
        {"compressed-block-lies.x", "byte 20: a block inflates to another size"},
        {"compressed-ends-early.x", "byte 22: a compressed block longer"},
        {"compressed-size-lies.x", "byte 69: the file ends before all its blocks"},
        {"compressed-without-blocks.x", "inflated data, line 1: the file holds no mesh"},
        {"corner-index-off-by-one.x", "line 2: a face names an index past"},
        {"corners-past-the-ceiling.x", "inflated data, line 4: the file makes more"},
        {"count-drives-allocation.x", "line 1: a count larger than the rest"},
        {"count-past-the-ceiling.x", "line 1: a count larger than the loader's ceiling"},
        {"count-times-size-overflows.x", "byte 34: a list is longer"},
        {"decimal-comma.x", ""},
        {"error-after-allocations.x", "line 9: '{' was expected"},
        {"exporter-backslash-texture.x", ""},
        {"exporter-double-separators.x", ""},
        {"exporter-indefinite-number.x", "line 2: a number that is not finite"},
        {"exporter-one-material-index.x", ""},
        {"fewer-normals-than-vertices.x", ""},
        {"frame-past-float-range.x", ""},
        {"frames-nested-deeper-than-the-stack.x", "inflated data, line 65: frames nested too deep"},
        {"header-lies.x", "byte 16: a data object was expected"},
        {"header-short.x", "byte 0: not a .x file"},
        {"index-negative.x", "line 2: a whole number from 0"},
        {"index-of-2-to-the-32.x", "line 6: a whole number"},
        {"index-with-a-fraction.x", "line 2: a whole number from 0"},
        {"integer-list-past-end.x", "byte 34: a list is longer"},
        {"japanese-names.x", ""},
        {"material-defaults-thrown-away.x", ""},
        {"material-index-off-by-one.x", "line 3: a face names a material past"},
        {"material-list-given-twice.x", ""},
        {"material-lists-repeated.x", ""},
        {"material-reference-unknown.x", "line 3: a material reference names no material"},
        {"mesh-children-past-the-ceiling.x", "inflated data, line 3: a mesh with more child"},
        {"name-long.x", "inflated data, line 1: a word longer than 64 KiB"},
        {"name-past-end.x", "byte 22: a name or string is longer"},
        {"normal-faces-disagree.x", ""},
        {"normal-index-off-by-one.x", "line 3: a face names an index past"},
        {"number-below-double-range-scaled-up.x", "line 2: a number beyond the range of float"},
        {"number-infinite.x", "line 2: a number that is not finite"},
        {"number-nan.x", "line 2: a number that is not finite"},
        {"number-past-double-range-scaled-down.x", "line 2: a number beyond the range of float"},
        {"number-past-double-range.x", "line 2: a number beyond the range of float"},
        {"number-past-float-range.x", "line 2: a number beyond the range of float"},
        {"number-with-400-zeros.x", ""},
        {"numbers-at-their-bounds.x", ""},
        {"skin-weight-index-off-by-one.x", ""},
        {"stray-brace-before-the-data.x", "line 1: the file holds no mesh"},
        {"stray-brace-ends-the-data.x", ""},
        {"string-past-end.x", "byte 112: a name or string longer than 64 KiB"},
        {"type-names-in-lower-case.x", ""},
        {"words-at-their-limit.x", ""},
    };
    std::size_t checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(XFILE_REGRESSIONS)) {
        if (entry.path().extension() != ".x") {
            continue;
        }
        const auto outcome = expected.find(entry.path().filename().string());
        ASSERT_NE(expected.end(), outcome) << entry.path() << " has no outcome";
        const mesh_check::Parsed parsed = mesh_check::parse(bytesOf(entry.path()));
        EXPECT_EQ(outcome->second.empty(), parsed.read) << entry.path() << ": " << parsed.error;
        EXPECT_EQ(0u, parsed.error.rfind(outcome->second, 0))
            << entry.path() << ": " << parsed.error;
        EXPECT_EQ("", mesh_check::outcomeFault(parsed)) << entry.path();
        ++checked;
    }
    EXPECT_EQ(expected.size(), checked);
}

} // namespace
