// Merges the meshes of a .x file into one XMesh (x_merge.h): vertices split by normals, polygons
// split into fans, materials concatenated, vertex colours filled in, frames' matrices applied.

#include "xfile/x_merge.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

// D3DXLoadMeshFromX (Wine's, observed with tools/d3dx_probe.cpp) gives grey 0.5 diffuse and
// specular, the diffuse alpha 0.
const XMaterial defaultXMaterial = {
    {0.5f, 0.5f, 0.5f, 0.0f}, 0.0f, {0.5f, 0.5f, 0.5f}, {0, 0, 0}, ""};

namespace {

constexpr XMatrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The colour of every vertex of a mesh without colours once another mesh of the file has some,
// as D3DXLoadMeshFromX (Wine's, observed) gives it.
constexpr std::uint32_t uncolouredMeshColour = 0;

XMatrix multiply(const XMatrix& a, const XMatrix& b) {
    XMatrix product{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[row * 4 + k] * b[k * 4 + column];
            }
            product[row * 4 + column] = sum;
        }
    }
    return product;
}

XVertex vertexOf(const XMeshRecord& mesh, std::size_t vertex, std::uint32_t normal) {
    XVertex out{};
    std::memcpy(out.position, &mesh.positions[vertex * 3], sizeof out.position);
    if (normal != UINT32_MAX) {
        std::memcpy(out.normal, &mesh.normals[std::size_t{normal} * 3], sizeof out.normal);
    }
    if (vertex * 2 + 1 < mesh.texcoords.size()) {
        std::memcpy(out.texcoord, &mesh.texcoords[vertex * 2], sizeof out.texcoord);
    }
    return out;
}

// Once any mesh has vertex colours, every vertex of the merged mesh has one.
// base: the merged mesh's first vertex of this mesh.
void addColours(XMesh& merged, const XMeshRecord& mesh, std::size_t base,
                const std::vector<std::uint32_t>& extraSources) {
    if (mesh.colours.empty() && merged.colours.empty()) {
        return;
    }
    merged.colours.resize(base, uncolouredMeshColour);
    if (mesh.colours.empty()) {
        merged.colours.resize(merged.vertices.size(), uncolouredMeshColour);
        return;
    }
    merged.colours.insert(merged.colours.end(), mesh.colours.begin(), mesh.colours.end());
    for (std::uint32_t corner : extraSources) {
        merged.colours.push_back(mesh.colours[mesh.corners[corner]]);
    }
}

std::uint32_t materialOfFace(const XMeshRecord& mesh, std::size_t face) {
    if (mesh.faceMaterials.empty()) {
        return 0;
    }
    return mesh.faceMaterials[std::min(face, mesh.faceMaterials.size() - 1)];
}

// materialBase: the merged mesh's first material of this mesh.
void addTriangles(XMesh& merged, const XMeshRecord& mesh,
                  const std::vector<std::uint32_t>& cornerVertex, std::size_t base,
                  std::uint32_t materialBase) {
    std::size_t first = 0;
    for (std::size_t face = 0; face < mesh.faceSizes.size(); ++face) {
        const std::uint32_t attribute = materialBase + materialOfFace(mesh, face);
        const std::uint32_t size = mesh.faceSizes[face];
        for (std::uint32_t i = 1; i + 1 < size; ++i) {
            for (std::size_t corner : {first, first + i, first + i + 1}) {
                merged.indices.push_back(static_cast<std::uint32_t>(base + cornerVertex[corner]));
            }
            merged.attributes.push_back(attribute);
        }
        first += size;
    }
}

// A value that frames move past float's range is read as nothing rather than handed on as inf or
// NaN (a world matrix multiplied past float's range holds inf, and NaN follows).
float floatOrZero(double value) {
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max()
               ? static_cast<float>(value)
               : 0.0f;
}

// Positions by the whole matrix, normals by the inverse transpose of its 3 × 3 part, then
// normalised. Normals in double: with a finite world matrix the cofactors, the normals and their
// lengths then stay finite.
void transform(const XMatrix& m, XVertex* vertices, std::size_t count) {
    double d[16];
    std::copy(m.begin(), m.end(), d);
    // Cofactors of the 3 × 3 part: its inverse transpose up to the determinant's factor.
    const double c[9] = {
        d[5] * d[10] - d[6] * d[9], d[6] * d[8] - d[4] * d[10], d[4] * d[9] - d[5] * d[8],
        d[2] * d[9] - d[1] * d[10], d[0] * d[10] - d[2] * d[8], d[1] * d[8] - d[0] * d[9],
        d[1] * d[6] - d[2] * d[5],  d[2] * d[4] - d[0] * d[6],  d[0] * d[5] - d[1] * d[4]};
    const double determinant = d[0] * c[0] + d[1] * c[1] + d[2] * c[2];
    const double sign = determinant < 0 ? -1.0 : 1.0;
    for (XVertex* vertex = vertices; vertex != vertices + count; ++vertex) {
        // Positions in float, as D3DX moves them, to its last digit.
        const float x = vertex->position[0], y = vertex->position[1], z = vertex->position[2];
        for (int k = 0; k < 3; ++k) {
            vertex->position[k] = floatOrZero(x * m[k] + y * m[4 + k] + z * m[8 + k] + m[12 + k]);
        }
        const double nx = vertex->normal[0], ny = vertex->normal[1], nz = vertex->normal[2];
        double normal[3];
        double length = 0;
        for (int k = 0; k < 3; ++k) {
            normal[k] = sign * (nx * c[k] + ny * c[3 + k] + nz * c[6 + k]);
            length += normal[k] * normal[k];
        }
        length = length > 0 ? std::sqrt(length) : 1.0;
        for (int k = 0; k < 3; ++k) {
            vertex->normal[k] = floatOrZero(normal[k] / length);
        }
    }
}

} // namespace

int XMeshMerge::addFrame(int parent) {
    frames_.push_back({parent, identity});
    return static_cast<int>(frames_.size()) - 1;
}

bool XMeshMerge::addMesh(const XMeshRecord& mesh, int frame) {
    const std::size_t vertexCount = mesh.positions.size() / 3;
    const bool withNormals = !mesh.normalCorners.empty();
    // Each position keeps the normal of the first corner that uses it; a corner giving it a
    // different normal gets a vertex of its own, appended after the file's vertices.
    std::vector<std::uint32_t> normalOfVertex(withNormals ? vertexCount : 0, UINT32_MAX);
    std::unordered_map<std::uint64_t, std::uint32_t> splitVertices;
    std::vector<std::uint32_t> cornerVertex(mesh.corners.size());
    std::vector<std::uint32_t> extraSources;
    for (std::size_t c = 0; c < mesh.corners.size(); ++c) {
        const std::uint32_t vertex = mesh.corners[c];
        cornerVertex[c] = vertex;
        if (!withNormals) {
            continue;
        }
        const std::uint32_t normal = mesh.normalCorners[c];
        if (normalOfVertex[vertex] == UINT32_MAX) {
            normalOfVertex[vertex] = normal;
        } else if (normalOfVertex[vertex] != normal) {
            const std::uint64_t key = std::uint64_t{vertex} << 32 | normal;
            const auto [entry, added] = splitVertices.try_emplace(
                key, static_cast<std::uint32_t>(vertexCount + extraSources.size()));
            if (added) {
                extraSources.push_back(static_cast<std::uint32_t>(c));
            }
            cornerVertex[c] = entry->second;
        }
    }
    const std::size_t total = vertexCount + extraSources.size();
    std::size_t triangles = 0;
    for (std::uint32_t size : mesh.faceSizes) {
        triangles += size >= 3 ? size - 2 : 0;
    }
    if (merged_.vertices.size() + total > maxMeshVertices ||
        merged_.attributes.size() + triangles > maxMeshTriangles) {
        return false;
    }
    // No reserve here: an exact one per mesh would defeat the vectors' geometric growth and copy
    // everything merged so far once per mesh.
    const std::size_t base = merged_.vertices.size();
    for (std::size_t v = 0; v < vertexCount; ++v) {
        merged_.vertices.push_back(vertexOf(mesh, v, withNormals ? normalOfVertex[v] : UINT32_MAX));
    }
    for (std::uint32_t corner : extraSources) {
        merged_.vertices.push_back(
            vertexOf(mesh, mesh.corners[corner], mesh.normalCorners[corner]));
    }
    addColours(merged_, mesh, base, extraSources);
    std::uint32_t materialBase = static_cast<std::uint32_t>(merged_.materials.size());
    if (!mesh.materials.empty()) {
        merged_.materials.insert(merged_.materials.end(), mesh.materials.begin(),
                                 mesh.materials.end());
    } else {
        // Meshes without a material list share one default material, as with D3DX a file of
        // such meshes has a single material.
        if (defaultMaterialIndex_ == UINT32_MAX) {
            defaultMaterialIndex_ = materialBase;
            merged_.materials.push_back(defaultXMaterial);
        }
        materialBase = defaultMaterialIndex_;
    }
    addTriangles(merged_, mesh, cornerVertex, base, materialBase);
    merged_.hasNormals = merged_.hasNormals || withNormals;
    merged_.hasTexcoords = merged_.hasTexcoords || !mesh.texcoords.empty();
    placed_.push_back({frame, base, total});
    return true;
}

void XMeshMerge::placeMeshes() {
    std::vector<XMatrix> world(frames_.size());
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        const int parent = frames_[i].parent;
        world[i] = parent < 0 ? frames_[i].local : multiply(frames_[i].local, world[parent]);
    }
    for (const PlacedMesh& placed : placed_) {
        if (placed.frame >= 0 && world[placed.frame] != identity) {
            transform(world[placed.frame], merged_.vertices.data() + placed.firstVertex,
                      placed.vertexCount);
        }
    }
}
