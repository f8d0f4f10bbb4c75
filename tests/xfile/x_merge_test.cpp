// The merge of mesh records into one mesh, without any file text: fans, vertices split by their
// normals, materials, colours and indices raised across meshes, frames moving their meshes.

#include "xfile/x_merge.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Indices = std::vector<std::uint32_t>;
using Floats = std::vector<float>;

// `vertices` vertices at the origin, and faces given by their sizes and their corners.
XMeshRecord record(std::size_t vertices, const Indices& faceSizes, const Indices& corners) {
    XMeshRecord mesh;
    mesh.vertices.resize(vertices);
    mesh.faceSizes = faceSizes;
    mesh.corners = corners;
    return mesh;
}

XMesh mergedOutsideFrames(std::initializer_list<XMeshRecord> meshes) {
    XMesh merged;
    XMeshMerge merge(merged);
    for (const XMeshRecord& mesh : meshes) {
        EXPECT_TRUE(merge.addMesh(mesh, -1));
    }
    return merged;
}

// A quad is a fan from its first corner; a 2-corner face makes none but keeps its material; faces
// without sizes are triangles. Indices follow the vertices before, attributes the materials
// before (a short list of face materials repeats its last); meshes without a material list share
// one default.
TEST(XMergeTest, FansIndicesAndMaterialsAcrossMeshes) {
    const auto power = [](float power) { return XMaterial{{}, power, {}, {}, ""}; };
    XMeshRecord first = record(5, {4, 2, 3}, {3, 1, 4, 0, 0, 1, 2, 0, 1});
    first.materials = {power(1), power(2)};
    first.faceMaterials = {0, 0, 1};
    XMeshRecord second = record(3, {}, {0, 1, 2, 2, 1, 0, 1, 0, 2});
    second.materials = {power(3), power(4)};
    second.faceMaterials = {0, 1};
    const XMesh merged =
        mergedOutsideFrames({record(3, {}, {0, 1, 2}), first, record(3, {3}, {0, 1, 2}), second});
    EXPECT_EQ(
        (Indices{0, 1, 2, 6, 4, 7, 6, 7, 3, 5, 3, 4, 8, 9, 10, 11, 12, 13, 13, 12, 11, 12, 11, 13}),
        merged.indices);
    EXPECT_EQ((Indices{0, 1, 1, 2, 0, 3, 4, 4}), merged.attributes);
    EXPECT_EQ(4, merged.materials.at(4).power);
}

// A position that faces give two normals becomes two vertices, the second appended after the
// mesh's own and used again for the same pair, with its position's texture coordinate and colour.
// Meshes without colours beside a coloured one get colour 0.
TEST(XMergeTest, VerticesSplitByNormalsKeepTheirTexcoordsAndColours) {
    XMeshRecord split = record(3, {3, 3, 3}, {0, 1, 2, 0, 2, 1, 2, 0, 1});
    split.normals = {0, 0, 1, 0, 0, -1};
    split.normalCorners = {0, 0, 0, 1, 1, 1, 1, 1, 0};
    for (std::size_t v = 0; v < 3; ++v) {
        split.vertices[v].texcoord[0] = 5.0f + static_cast<float>(v);
    }
    split.hasTexcoords = true;
    split.colours = {0xA0, 0xA1, 0xA2};
    const XMesh merged = mergedOutsideFrames({record(2, {}, {}), split, record(1, {}, {})});
    EXPECT_EQ((Indices{2, 3, 4, 5, 6, 7, 6, 5, 3}), merged.indices);
    EXPECT_EQ((Indices{0, 0, 0xA0, 0xA1, 0xA2, 0xA0, 0xA2, 0xA1, 0}), merged.colours);
    Floats seen; // normal z and u of each vertex
    for (const XVertex& v : merged.vertices) {
        seen.insert(seen.end(), {v.normal[2], v.texcoord[0]});
    }
    EXPECT_EQ((Floats{0, 0, 0, 0, 1, 5, 1, 6, 1, 7, -1, 5, -1, 7, -1, 6, 0, 0}), seen);

    // One position with hundreds of normals, each given once and then again in reverse: past
    // its first few splits they are looked up in a table that grows, and each finds its vertex.
    constexpr std::uint32_t normals = 300;
    XMeshRecord many = record(1, Indices(2 * normals, 3), Indices(6 * normals, 0));
    for (std::uint32_t face = 0; face < 2 * normals; ++face) {
        const std::uint32_t n = face < normals ? face : 2 * normals - 1 - face;
        many.normalCorners.insert(many.normalCorners.end(), {n, n, n});
        many.normals.insert(many.normals.end(), {0, 0, static_cast<float>(n)});
    }
    const XMesh fan = mergedOutsideFrames({many});
    EXPECT_EQ(many.normalCorners, fan.indices);
    EXPECT_EQ(normals, fan.vertices.size());
}

// A child frame's mesh moves by the child's matrix, then its parent's, even when a matrix comes
// after the mesh; its normals turn by the inverse transpose, unit length and still facing out
// under a mirror. A frame that moves a vertex past float's range gives 0 there, not inf.
TEST(XMergeTest, FramesMoveTheirMeshesAndTurnTheirNormals) {
    XMeshRecord mesh = record(3, {3}, {0, 1, 2});
    mesh.vertices = {{{1, 2, 3}, {}, {}}, {{1, 0, 0}, {}, {}}, {{2, 0, 0}, {}, {}}};
    mesh.normals = {1, 1, 0};
    mesh.normalCorners = {0, 0, 0};
    XMesh merged;
    XMeshMerge merge(merged);
    const int root = merge.addFrame(-1), child = merge.addFrame(root);
    merge.setFrameMatrix(child, {-2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ASSERT_TRUE(merge.addMesh(mesh, child));
    const int far = merge.addFrame(-1);
    merge.setFrameMatrix(far, {1e30f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    mesh.vertices[0].position[0] = 1e30f;
    ASSERT_TRUE(merge.addMesh(mesh, far));
    merge.setFrameMatrix(root, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1});
    merge.placeMeshes();
    const XVertex& moved = merged.vertices[0];
    EXPECT_EQ((Floats{8, 22, 33}), (Floats{moved.position, moved.position + 3}));
    EXPECT_FLOAT_EQ(-1 / std::sqrt(5.0f), moved.normal[0]);
    EXPECT_FLOAT_EQ(2 / std::sqrt(5.0f), moved.normal[1]);
    EXPECT_EQ((Floats{0, 1e30f}),
              (Floats{merged.vertices[3].position[0], merged.vertices[4].position[0]}));
}

} // namespace
