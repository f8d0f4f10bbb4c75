// What both platforms draw from: a mesh's triangles grouped by material into ranges, and the
// texts kept by the text cache.

#include "gfx/mesh_subsets.h"
#include "gfx/text_cache.h"

#include <gtest/gtest.h>

#include <vector>

struct TextureObject {
    int unused;
};

namespace {

std::vector<TextureHandle> released;

} // namespace

void releaseTexture(TextureHandle texture) {
    released.push_back(texture);
}

TEST(MeshSubsets, TrianglesGoByMaterialInFileOrderWithTheVerticesTheyUse) {
    XMesh mesh;
    mesh.indices = {0, 1, 2, 3, 4, 5, 6, 7, 8, 2, 9, 4, 1, 1, 1};
    mesh.attributes = {2, 0, 2, 3, 0}; // material 1 has no triangle
    const SortedTriangles sorted = trianglesByMaterial(mesh);
    EXPECT_EQ(sorted.indices,
              (std::vector<std::uint32_t>{3, 4, 5, 1, 1, 1, 0, 1, 2, 6, 7, 8, 2, 9, 4}));
    ASSERT_EQ(sorted.subsets.size(), 3u);
    EXPECT_EQ(subsetOf(sorted.subsets, 1), nullptr);
    // Material, first triangle, triangles, first vertex, vertices.
    const std::vector<std::uint32_t> ranges[] = {{0, 0, 2, 1, 5}, {2, 2, 2, 0, 9}, {3, 4, 1, 2, 8}};
    for (const std::vector<std::uint32_t>& range : ranges) {
        const SubsetRange* subset = subsetOf(sorted.subsets, range[0]);
        ASSERT_NE(subset, nullptr) << range[0];
        EXPECT_EQ((std::vector<std::uint32_t>{subset->material, subset->firstTriangle,
                                              subset->triangleCount, subset->firstVertex,
                                              subset->vertexCount}),
                  range);
    }
    // Past sixteen triangles a sort that is not stable reorders a material's triangles.
    mesh.attributes.assign(40, 0);
    mesh.indices.resize(3 * 40);
    for (std::uint32_t t = 0; t < 40; ++t) {
        mesh.attributes[t] = t % 3 == 0;
        mesh.indices[3 * t] = mesh.indices[3 * t + 1] = mesh.indices[3 * t + 2] = t;
    }
    const std::vector<std::uint32_t> corners = trianglesByMaterial(mesh).indices;
    for (std::size_t c = 3; c < corners.size(); ++c) {
        const bool sameMaterial = (corners[c] % 3 == 0) == (corners[c - 3] % 3 == 0);
        EXPECT_TRUE(!sameMaterial || corners[c - 3] < corners[c]) << c;
    }
}

TEST(TextCache, TheLeastRecentlyDrawnTextGivesWayAndItsTextureIsReleased) {
    std::vector<TextureObject> textures(TextCache::capacity + 2);
    TextCache cache;
    released.clear();
    for (std::size_t i = 0; i < TextCache::capacity; ++i) {
        cache.add("text " + std::to_string(i), {&textures[i]});
    }
    ASSERT_NE(cache.find("text 0"), nullptr); // drawn again: now the most recent
    cache.add("new", {&textures[TextCache::capacity]});
    EXPECT_EQ(released, std::vector<TextureHandle>{&textures[1]});
    EXPECT_EQ(cache.find("text 1"), nullptr);
    EXPECT_EQ(cache.find("text 0")->texture, &textures[0]);
    EXPECT_EQ(cache.find("new")->texture, &textures[TextCache::capacity]);
    for (std::size_t i = 2; i < TextCache::capacity; ++i) { // the rest, oldest first
        cache.add("later " + std::to_string(i), {&textures[TextCache::capacity + 1]});
        EXPECT_EQ(released.back(), &textures[i]);
    }
    EXPECT_EQ(cache.find("text 0")->texture, &textures[0]);
    cache.add("last", {&textures[TextCache::capacity + 1]});
    EXPECT_EQ(released.back(), &textures[TextCache::capacity]) << "then the first new one";
    cache.clear();
    EXPECT_EQ(released.size(), 2 * TextCache::capacity);
}

TEST(TextCache, CoverageBecomesTheAlphaOfWhiteTexelsInAWiderTexture) {
    const TextImage image{0, 0, 2, 1, {0x00, 0xFF}};
    EXPECT_EQ(textTexels(image, 4, 2),
              (std::vector<std::uint32_t>{0x00FFFFFF, 0xFFFFFFFF, 0, 0, 0, 0, 0, 0}));
}

// Bands of inked rows, split into runs where inkGap blank columns or more lie between; each
// run's quad reads its own texels of a texture wider than the image.
TEST(TextCache, OnlyTheInkedRunsAreDrawnEachFromItsOwnTexels) {
    TextImage image{3, 4, 12, 4, std::vector<std::uint8_t>(48, 0)};
    for (const auto& [column, row] : {std::pair{0, 0}, {2, 0}, {9, 0}, {1, 1}, {5, 3}}) {
        image.coverage[row * 12 + column] = 0x80;
    }
    CachedText text{nullptr, 3, 4, 12, 4, 0.75f, 1.0f, inkedAreas(image)};
    std::vector<std::vector<int>> areas;
    for (const TextArea& area : text.inked) {
        areas.push_back({area.x, area.y, area.width, area.height});
    }
    EXPECT_EQ(areas, (std::vector<std::vector<int>>{{0, 0, 3, 2}, {9, 0, 1, 2}, {5, 3, 1, 1}}));
    const ScreenQuad quad = textQuads(text, 100, 200, 0xFFC8C8C8)[1];
    EXPECT_EQ((std::vector<float>{quad[0].x, quad[0].y, quad[0].u, quad[0].v, quad[3].x, quad[3].y,
                                  quad[3].u, quad[3].v}),
              (std::vector<float>{112, 204, 0.5625f, 0, 113, 206, 0.625f, 0.5f}));
}
