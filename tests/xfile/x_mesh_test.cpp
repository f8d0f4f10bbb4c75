// The .x loader against fixtures of our own (tools/make_x_fixtures.py writes them): every form
// of one cube gives the same mesh, frames move their meshes, and damaged files give an error
// with a place instead of a mesh.

#include "mesh_holds_together.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::filesystem::path fixtures = XFILE_FIXTURES;

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path) {
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

// Each quad of the cube is two fan triangles; each face has its own normal, so all 8 corners
// split into 3 vertices, one per face, with their own position's texture coordinate.
TEST(XMeshTest, CubeQuadsSplitIntoFansWithAVertexPerFaceNormal) {
    const XMesh cube = load("cube.txt.x");
    ASSERT_EQ(24u, cube.vertices.size());
    ASSERT_EQ(36u, cube.indices.size());
    EXPECT_TRUE(cube.hasNormals && cube.hasTexcoords);
    const float faceNormals[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0},
                                     {1, 0, 0},  {0, 1, 0}, {0, -1, 0}};
    for (std::size_t t = 0; t < 12; ++t) {
        const float* normal = faceNormals[t / 2];
        for (std::size_t k = 0; k < 3; ++k) {
            const XVertex& v = cube.vertices.at(cube.indices[t * 3 + k]);
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_EQ(normal[axis], v.normal[axis]) << "triangle " << t;
                if (normal[axis] != 0) {
                    EXPECT_EQ(normal[axis], v.position[axis]) << "triangle " << t;
                }
            }
            EXPECT_EQ((v.position[0] + 1) / 2, v.texcoord[0]);
            EXPECT_EQ((v.position[1] + 1) / 2, v.texcoord[1]);
        }
    }
    // The fan of face 0 (corners 0, 1, 2, 3): (0, 1, 2) and (0, 2, 3).
    EXPECT_EQ((std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}),
              std::vector<std::uint32_t>(cube.indices.begin(), cube.indices.begin() + 6));
}

// Three face indices (1, 0, 1) for six faces: the last one holds for the rest. Material 0 is a
// reference to the file's top-level "Red", material 1 is written in place with a texture.
TEST(XMeshTest, ShortMaterialListRepeatsItsLastIndexAndResolvesReferences) {
    const XMesh cube = load("cube.txt.x");
    EXPECT_EQ((std::vector<std::uint32_t>{1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1}), cube.attributes);
    ASSERT_EQ(2u, cube.materials.size());
    const XMaterial& red = cube.materials[0];
    EXPECT_EQ((std::vector<float>{1, 0, 0, 1, 8, 1, 1, 1, 0, 0, 0}),
              (std::vector<float>{red.diffuse, red.emissive + 3}));
    EXPECT_EQ("", red.textureFileName);
    const XMaterial& painted = cube.materials[1];
    EXPECT_EQ((std::vector<float>{0.5f, 0.25f, 0.75f, 0.5f, 16, 0.25f, 0.25f, 0.25f, 0, 0.5f, 0}),
              (std::vector<float>{painted.diffuse, painted.emissive + 3}));
    EXPECT_EQ("C:\\models\\cube.bmp", painted.textureFileName);
}

// The pentagon sits in frame "inner" (a quarter turn about z, then up 5) inside frame 1 (right
// 10): (x, y, z) lands on (10 - y, 5 + x, z) and its normal +x turns to +y. The plain mesh
// outside any frame stays put. Neither has a material list: they share one default material,
// the one D3DX gives (seen with tools/d3dx_probe.cpp under Wine). Only the pentagon has vertex
// colours: channels clamped and rounded, the later of two for vertex 2, an entry past its
// vertices passed over, its unnamed vertices white with alpha 0 and the plain mesh's 0, as
// D3DX gives them.
TEST(XMeshTest, FramesMoveTheirMeshesAndMeshesWithoutMaterialsGetTheDefault) {
    const XMesh mesh = load("frames.txt.x");
    const float expected[8][3] = {{10, 6, 0}, {10, 7, 0}, {9, 8, 0}, {8, 7, 0},
                                  {8, 6, 0},  {0, 0, 0},  {0, 1, 0}, {1, 0, 0}};
    ASSERT_EQ(8u, mesh.vertices.size());
    for (std::size_t v = 0; v < 8; ++v) {
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_FLOAT_EQ(expected[v][axis], mesh.vertices[v].position[axis]) << "vertex " << v;
        }
    }
    EXPECT_FLOAT_EQ(1, mesh.vertices[0].normal[1]);
    EXPECT_NEAR(0, mesh.vertices[0].normal[0], 1e-6);
    EXPECT_EQ((std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4, 5, 6, 7}), mesh.indices);
    EXPECT_EQ((std::vector<std::uint32_t>{0, 0, 0, 0}), mesh.attributes);
    ASSERT_EQ(1u, mesh.materials.size());
    const XMaterial& grey = mesh.materials[0];
    EXPECT_EQ((std::vector<float>{0.5f, 0.5f, 0.5f, 0, 0, 0.5f, 0.5f, 0.5f, 0, 0, 0}),
              (std::vector<float>{grey.diffuse, grey.emissive + 3}));
    EXPECT_EQ((std::vector<std::uint32_t>{0xFFFF8000, 0x00FFFFFF, 0xFF0000FF, 0x80FF0040,
                                          0x00FFFFFF, 0, 0, 0}),
              mesh.colours);
}

// Every form cut short anywhere past its header, and a few broken values, is refused with the
// place of the fault and no mesh.
TEST(XMeshTest, DamagedFilesGiveAnErrorWithAPlaceAndNoMesh) {
    std::vector<std::vector<std::uint8_t>> damaged;
    for (const char* form : forms) {
        const std::vector<std::uint8_t> whole = bytesOf(fixtures / fixtureName("cube", form));
        for (std::size_t cut = 16; cut < whole.size(); cut += 1 + whole.size() / 97) {
            damaged.emplace_back(whole.begin(), whole.begin() + cut);
        }
    }
    for (const char* text : {"xof 0303txt 0032 Mesh { 2; 1.0;1.0;1.0;; }",
                             "xof 0303txt 0032 Mesh { 3; 0.0;0.0;0.0;,1.0;0.0;0.0;,0.0;1.0;0.0;;"
                             " 1; 3;0,1,3;; }",
                             "xof 0303txt 0032 Mesh { 4000000000; }", "xof 0303zzz 0032",
                             "xof 0303tzip0032\x10\0\0\0"}) {
        damaged.emplace_back(text, text + std::strlen(text) + (text[11] == 'z' ? 4 : 0));
    }
    for (const std::vector<std::uint8_t>& file : damaged) {
        XMesh mesh;
        std::string error;
        EXPECT_FALSE(parseXFile(file.data(), file.size(), mesh, error)) << file.size();
        EXPECT_TRUE(mesh_check::startsWithPlace(error)) << error;
        EXPECT_TRUE(mesh.vertices.empty() && mesh.indices.empty() && mesh.materials.empty());
    }
}

// A skipped binary object holding an empty list: the list must not swallow the brace after it.
TEST(XMeshTest, SkippedBinaryObjectEndsAfterAnEmptyList) {
    std::vector<std::uint8_t> file = {'x', 'o', 'f', ' ', '0', '3', '0', '3',
                                      'b', 'i', 'n', ' ', '0', '0', '3', '2'};
    const auto add = [&](std::initializer_list<std::uint32_t> words, int bytesEach) {
        for (std::uint32_t word : words) {
            for (int b = 0; b < bytesEach; ++b) {
                file.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
            }
        }
    };
    add({1}, 2), add({5}, 4), file.insert(file.end(), {'E', 'x', 't', 'r', 'a'});
    add({10, 6}, 2), add({0}, 4), add({11, 1}, 2), add({4}, 4);
    file.insert(file.end(), {'M', 'e', 's', 'h'});
    add({10, 6}, 2), add({1, 3}, 4), add({7}, 2), add({9, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4);
    add({6}, 2), add({5, 1, 3, 0, 1, 2}, 4), add({11}, 2);
    XMesh mesh;
    std::string error;
    EXPECT_TRUE(parseXFile(file.data(), file.size(), mesh, error)) << error;
    EXPECT_EQ(1u, mesh.attributes.size());
}

// Inputs that once broke the loader (found by fuzzing or by hand): each must give a mesh that
// holds together or a refusal with its place. Under the sanitizers, nothing worse either.
TEST(XMeshTest, FuzzFindingsAreReadOrRefused) {
    for (const auto& entry : std::filesystem::directory_iterator(XFILE_REGRESSIONS)) {
        const std::vector<std::uint8_t> file = bytesOf(entry.path());
        XMesh mesh;
        std::string error;
        if (parseXFile(file.data(), file.size(), mesh, error)) {
            EXPECT_EQ("", mesh_check::meshFault(mesh)) << entry.path();
        } else {
            EXPECT_TRUE(mesh_check::startsWithPlace(error)) << entry.path() << ": " << error;
        }
    }
}

} // namespace
