#include "gfx/mesh_subsets.h"

#include <algorithm>
#include <numeric>

SortedTriangles trianglesByMaterial(const XMesh& mesh) {
    std::vector<std::uint32_t> order(mesh.attributes.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return mesh.attributes[a] < mesh.attributes[b];
    });
    SortedTriangles sorted;
    sorted.indices.reserve(order.size() * 3);
    for (std::uint32_t triangle : order) {
        const std::uint32_t material = mesh.attributes[triangle];
        if (sorted.subsets.empty() || sorted.subsets.back().material != material) {
            const auto first = static_cast<std::uint32_t>(sorted.indices.size() / 3);
            sorted.subsets.push_back({material, first, 0, UINT32_MAX, 0});
        }
        SubsetRange& range = sorted.subsets.back();
        ++range.triangleCount;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t vertex = mesh.indices[3 * triangle + k];
            const std::uint32_t end = std::max(
                range.vertexCount == 0 ? 0 : range.firstVertex + range.vertexCount, vertex + 1);
            range.firstVertex = std::min(range.firstVertex, vertex);
            range.vertexCount = end - range.firstVertex;
            sorted.indices.push_back(vertex);
        }
    }
    return sorted;
}

const SubsetRange* subsetOf(const std::vector<SubsetRange>& subsets, std::uint32_t material) {
    for (const SubsetRange& range : subsets) {
        if (range.material == material) {
            return &range;
        }
    }
    return nullptr;
}

std::vector<MeshMaterial> meshMaterials(const XMesh& mesh) {
    std::vector<MeshMaterial> materials;
    for (const XMaterial& x : mesh.materials) {
        Material material{};
        material.diffuse = {x.diffuse[0], x.diffuse[1], x.diffuse[2], x.diffuse[3]};
        material.specular = {x.specular[0], x.specular[1], x.specular[2], 1.0f};
        material.emissive = {x.emissive[0], x.emissive[1], x.emissive[2], 1.0f};
        material.power = x.power;
        materials.push_back({material, x.textureFileName});
    }
    return materials;
}
