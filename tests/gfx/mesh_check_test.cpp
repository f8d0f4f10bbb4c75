// The mesh check against meshes that break one rule each, at the first value past its bound
// and in the last face, in both index widths.

#include "gfx/mesh_check.h"
#include "xfile/x_mesh.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

constexpr std::size_t stride = 32;

// Two faces over four vertices and two materials, every index and attribute at its bound's
// edge, buffers of the sizes the counts give; a case then changes one thing.
struct Buffers {
    std::vector<std::uint32_t> wide = {0, 1, 2, 0, 2, 3};
    std::vector<std::uint16_t> narrow = {0, 1, 2, 0, 2, 3};
    std::vector<std::uint32_t> attributes = {0, 1};
    std::size_t vertices = 4;
    std::size_t materials = 2;
    std::size_t vertexBytes = 4 * stride;
    std::size_t widthsPerIndex = 1; // the index buffer's bytes per index, in index widths
    std::size_t indexBytesOver = 0;

    MeshFault check(bool wideIndices) const {
        MeshBuffers mesh;
        mesh.faceCount = attributes.size();
        mesh.vertexCount = vertices;
        mesh.materialCount = materials;
        mesh.vertexStride = stride;
        mesh.vertexBytes = vertexBytes;
        mesh.wideIndices = wideIndices;
        mesh.indices = wideIndices ? static_cast<const void*>(wide.data()) : narrow.data();
        mesh.indexBytes = wide.size() * (wideIndices ? 4 : 2) * widthsPerIndex + indexBytesOver;
        mesh.attributes = attributes.data();
        return meshFault(mesh);
    }
};

// A change to a sound mesh, and the fault it makes.
template <typename Mesh> using Case = std::tuple<const char*, void (*)(Mesh&), MeshFault>;

TEST(MeshCheck, EachRuleCatchesTheFirstValuePastItsBoundInEitherIndexWidth) {
    const Case<Buffers> cases[] = {
        {"sound", [](Buffers&) {}, MeshFault::none},
        {"index", [](Buffers& b) { b.wide.back() = b.narrow.back() = 4; },
         MeshFault::indexPastVertices},
        {"attribute", [](Buffers& b) { b.attributes.back() = 2; },
         MeshFault::attributePastMaterials},
        {"no materials", [](Buffers& b) { b.materials = 0; }, MeshFault::attributePastMaterials},
        {"more faces", [](Buffers& b) { b.attributes.push_back(0); },
         MeshFault::countsUnlikeBuffers},
        {"fewer faces", [](Buffers& b) { b.attributes.pop_back(); },
         MeshFault::countsUnlikeBuffers},
        {"a vertex short", [](Buffers& b) { b.vertexBytes -= stride; },
         MeshFault::countsUnlikeBuffers},
        {"a vertex over", [](Buffers& b) { b.vertexBytes += stride; },
         MeshFault::countsUnlikeBuffers},
        {"a vertex byte over", [](Buffers& b) { b.vertexBytes += 1; },
         MeshFault::countsUnlikeBuffers},
        {"an index byte over", [](Buffers& b) { b.indexBytesOver = 1; },
         MeshFault::countsUnlikeBuffers},
        // Indices in a buffer sized for twice their width hold twice the faces counted.
        {"indices of twice the width", [](Buffers& b) { b.widthsPerIndex = 2; },
         MeshFault::countsUnlikeBuffers},
    };
    for (const auto& [name, change, fault] : cases) {
        Buffers buffers;
        change(buffers);
        EXPECT_EQ(fault, buffers.check(false)) << name << ", 16-bit indices";
        EXPECT_EQ(fault, buffers.check(true)) << name << ", 32-bit indices";
    }
}

TEST(MeshCheck, OurLoadersMeshIsCheckedWithItsColours) {
    const Case<XMesh> cases[] = {
        {"sound", [](XMesh&) {}, MeshFault::none},
        {"coloured", [](XMesh& m) { m.colours.assign(4, 0xFF00FF00u); }, MeshFault::none},
        {"colour short", [](XMesh& m) { m.colours.assign(3, 0xFF00FF00u); },
         MeshFault::countsUnlikeBuffers},
        {"index", [](XMesh& m) { m.indices.back() = 4; }, MeshFault::indexPastVertices},
        {"attribute", [](XMesh& m) { m.attributes.back() = 1; }, MeshFault::attributePastMaterials},
        {"index short", [](XMesh& m) { m.indices.pop_back(); }, MeshFault::countsUnlikeBuffers},
    };
    for (const auto& [name, change, fault] : cases) {
        XMesh square;
        square.vertices.resize(4);
        square.indices = {0, 1, 2, 0, 2, 3};
        square.attributes = {0, 0};
        square.materials.resize(1);
        change(square);
        EXPECT_EQ(fault, meshFault(square)) << name;
    }
}

} // namespace
