// What both platforms make of a mesh that our own .x loader read: its triangles grouped by
// material, so that each subset is one range of the index list, and its materials as the
// graphics take them.
#pragma once

#include "gfx/graphics.h"
#include "xfile/x_mesh.h"

#include <cstdint>
#include <vector>

// The triangles of one material: a range of the sorted index list, and the span of vertices
// they use.
struct SubsetRange {
    std::uint32_t material = 0;
    std::uint32_t firstTriangle = 0;
    std::uint32_t triangleCount = 0;
    std::uint32_t firstVertex = 0;
    std::uint32_t vertexCount = 0;
};

struct SortedTriangles {
    std::vector<std::uint32_t> indices; // three per triangle, material 0's first
    std::vector<SubsetRange> subsets;   // ascending material, only those with triangles
};

// Groups the triangles by material, keeping the file's order within each material.
SortedTriangles trianglesByMaterial(const XMesh& mesh);

// The range of the material's triangles, or null when it has none.
const SubsetRange* subsetOf(const std::vector<SubsetRange>& subsets, std::uint32_t material);

// The file's materials: diffuse with its alpha, specular and emissive opaque, the power; the
// ambient colour is left for the mesh object to set.
std::vector<MeshMaterial> meshMaterials(const XMesh& mesh);
