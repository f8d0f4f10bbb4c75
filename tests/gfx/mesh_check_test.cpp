// The mesh check against meshes that break one rule each, at the first value past its bound
// and in the last face, in both index widths.

#include "gfx/mesh_check.h"
#include "xfile/x_mesh.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::size_t stride = 32;

// Two faces over four vertices and two materials, every index and attribute at its bound's
// edge; a case then changes one thing.
struct Buffers {
    std::vector<std::uint32_t> wide = {0, 1, 2, 0, 2, 3};
    std::vector<std::uint16_t> narrow = {0, 1, 2, 0, 2, 3};
    std::vector<std::uint32_t> attributes = {0, 1};
    std::size_t vertices = 4;
    std::size_t materials = 2;

    // The index buffer's size is that of the indices in the width given, unless stated.
    MeshFault check(bool wideIndices, std::size_t vertexBytes = 4 * stride,
                    std::size_t indexBytes = 0) const {
        MeshBuffers mesh;
        mesh.faceCount = attributes.size();
        mesh.vertexCount = vertices;
        mesh.materialCount = materials;
        mesh.vertexStride = stride;
        mesh.vertexBytes = vertexBytes;
        mesh.wideIndices = wideIndices;
        mesh.indices = wideIndices ? static_cast<const void*>(wide.data()) : narrow.data();
        mesh.indexBytes = indexBytes    ? indexBytes
                          : wideIndices ? wide.size() * 4
                                        : narrow.size() * 2;
        mesh.attributes = attributes.data();
        return meshFault(mesh);
    }
};

TEST(MeshCheck, EachRuleCatchesTheFirstValuePastItsBoundInEitherIndexWidth) {
    for (bool wideIndices : {false, true}) {
        SCOPED_TRACE(wideIndices ? "32-bit indices" : "16-bit indices");
        Buffers sound;
        EXPECT_EQ(MeshFault::none, sound.check(wideIndices));

        Buffers indexPast;
        indexPast.wide.back() = indexPast.narrow.back() = 4;
        EXPECT_EQ(MeshFault::indexPastVertices, indexPast.check(wideIndices));

        Buffers attributePast;
        attributePast.attributes.back() = 2;
        EXPECT_EQ(MeshFault::attributePastMaterials, attributePast.check(wideIndices));

        Buffers noMaterials;
        noMaterials.materials = 0;
        EXPECT_EQ(MeshFault::attributePastMaterials, noMaterials.check(wideIndices));
    }
}

TEST(MeshCheck, CountsMustBeWhatTheBuffersHold) {
    Buffers sound;
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, sound.check(true, 3 * stride));
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, sound.check(true, 5 * stride));
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, sound.check(true, 4 * stride + 1));

    Buffers moreFacesThanIndices;
    moreFacesThanIndices.attributes.push_back(0);
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, moreFacesThanIndices.check(true));
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, moreFacesThanIndices.check(false));

    Buffers fewerFacesThanIndices;
    fewerFacesThanIndices.attributes.pop_back();
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, fewerFacesThanIndices.check(true));

    // 16-bit indices in a buffer sized for 32-bit ones hold twice the faces counted.
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, sound.check(false, 4 * stride, 6 * 4));
}

XMesh loadedSquare() {
    XMesh mesh;
    mesh.vertices.resize(4);
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.attributes = {0, 0};
    mesh.materials.resize(1);
    return mesh;
}

TEST(MeshCheck, OurLoadersMeshIsCheckedWithItsColours) {
    EXPECT_EQ(MeshFault::none, meshFault(loadedSquare()));

    XMesh coloured = loadedSquare();
    coloured.colours.assign(4, 0xFF00FF00u);
    EXPECT_EQ(MeshFault::none, meshFault(coloured));
    coloured.colours.pop_back();
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, meshFault(coloured));

    XMesh indexPast = loadedSquare();
    indexPast.indices.back() = 4;
    EXPECT_EQ(MeshFault::indexPastVertices, meshFault(indexPast));

    XMesh attributePast = loadedSquare();
    attributePast.attributes.back() = 1;
    EXPECT_EQ(MeshFault::attributePastMaterials, meshFault(attributePast));

    XMesh shortIndices = loadedSquare();
    shortIndices.indices.pop_back();
    EXPECT_EQ(MeshFault::countsUnlikeBuffers, meshFault(shortIndices));
}

} // namespace
