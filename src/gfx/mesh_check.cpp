#include "gfx/mesh_check.h"

#include "xfile/x_mesh.h"

#include <algorithm>

namespace {

template <typename Index>
bool indicesBelow(const void* indices, std::size_t count, std::size_t vertexCount) {
    const auto* first = static_cast<const Index*>(indices);
    return std::all_of(first, first + count, [&](Index index) { return index < vertexCount; });
}

// Compared by division, so that no count, however large, overflows a product.
bool holds(std::size_t bytes, std::size_t itemSize, std::size_t items) {
    return itemSize != 0 && bytes % itemSize == 0 && bytes / itemSize == items;
}

} // namespace

MeshFault meshFault(const MeshBuffers& mesh) {
    const std::size_t indexSize = mesh.wideIndices ? 4 : 2;
    if (!holds(mesh.vertexBytes, mesh.vertexStride, mesh.vertexCount) ||
        !holds(mesh.indexBytes, 3 * indexSize, mesh.faceCount) ||
        (mesh.faceCount != 0 && (mesh.indices == nullptr || mesh.attributes == nullptr))) {
        return MeshFault::countsUnlikeBuffers;
    }
    const std::size_t indexCount = 3 * mesh.faceCount;
    if (!(mesh.wideIndices
              ? indicesBelow<std::uint32_t>(mesh.indices, indexCount, mesh.vertexCount)
              : indicesBelow<std::uint16_t>(mesh.indices, indexCount, mesh.vertexCount))) {
        return MeshFault::indexPastVertices;
    }
    const std::uint32_t* attributes = mesh.attributes;
    if (!std::all_of(attributes, attributes + mesh.faceCount,
                     [&](std::uint32_t attribute) { return attribute < mesh.materialCount; })) {
        return MeshFault::attributePastMaterials;
    }
    return MeshFault::none;
}

MeshFault meshFault(const XMesh& mesh) {
    if (!mesh.colours.empty() && mesh.colours.size() != mesh.vertices.size()) {
        return MeshFault::countsUnlikeBuffers;
    }
    MeshBuffers buffers;
    buffers.faceCount = mesh.attributes.size();
    buffers.vertexCount = mesh.vertices.size();
    buffers.materialCount = mesh.materials.size();
    buffers.vertexStride = sizeof(XVertex);
    buffers.vertexBytes = mesh.vertices.size() * sizeof(XVertex);
    buffers.indices = mesh.indices.data();
    buffers.indexBytes = mesh.indices.size() * sizeof(std::uint32_t);
    buffers.wideIndices = true;
    buffers.attributes = mesh.attributes.data();
    return meshFault(buffers);
}
