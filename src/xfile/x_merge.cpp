// Merges the meshes of a .x file into one XMesh (x_merge.h): vertices split by normals, polygons
// split into fans, materials concatenated, vertex colours filled in, frames' matrices applied.

#include "xfile/x_merge.h"

#include "xfile/mapped_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

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

void setNormal(XVertex& vertex, const XMeshRecord& mesh, std::uint32_t normal) {
    std::memcpy(vertex.normal, &mesh.normals[std::size_t{normal} * 3], sizeof vertex.normal);
}

constexpr std::uint32_t none = UINT32_MAX;

// Values by 64-bit key: open addressing into one array, so that millions of entries cost no
// allocation each. A slot holds an entry's number plus one; a mixed hash spreads keys that
// differ only in their low or high half.
class KeyTable {
  public:
    // The value kept for `key`, or `value`, kept for it now.
    std::uint32_t findOrAdd(std::uint64_t key, std::uint32_t value) {
        if ((keys_.size() + 1) * 2 > slots_.size()) {
            grow();
        }
        std::size_t slot = slotOf(key);
        for (; slots_[slot] != 0; slot = (slot + 1) & mask_) {
            if (keys_[slots_[slot] - 1] == key) {
                return values_[slots_[slot] - 1];
            }
        }
        keys_.push_back(key);
        values_.push_back(value);
        slots_[slot] = static_cast<std::uint32_t>(keys_.size());
        return value;
    }

  private:
    std::size_t slotOf(std::uint64_t key) const {
        key ^= key >> 33;
        key *= 0xFF51AFD7ED558CCDull;
        key ^= key >> 33;
        return static_cast<std::size_t>(key) & mask_;
    }

    void grow() {
        slots_.assign(std::max<std::size_t>(slots_.size() * 2, 64), 0);
        mask_ = slots_.size() - 1;
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            std::size_t slot = slotOf(keys_[i]);
            while (slots_[slot] != 0) {
                slot = (slot + 1) & mask_;
            }
            slots_[slot] = static_cast<std::uint32_t>(i + 1);
        }
    }

    std::vector<std::uint32_t> slots_;
    std::vector<std::uint64_t> keys_;
    std::vector<std::uint32_t> values_;
    std::size_t mask_ = 0;
};

// The vertices split off a mesh's own, each by its position and normal, numbered in the order
// they are made. A position's first few splits are kept in a chain from it, near in memory to
// the corners that use them; any further ones go to a table, so that a position that the file
// gives very many normals costs no long walk.
class SplitVertices {
  public:
    // Room for a split at each of `cornerCount` corners, at most, made once: room no split takes
    // is never touched, and so costs no memory.
    SplitVertices(std::size_t vertexCount, std::size_t cornerCount)
        : firstSplit_(vertexCount, none) {
        reserveWithLargePages(normalOfSplit_, cornerCount);
        reserveWithLargePages(nextSplit_, cornerCount);
    }

    // The number of the split of `vertex` with `normal`, made as the next one when it is new.
    std::uint32_t find(std::uint32_t vertex, std::uint32_t normal, bool& added) {
        constexpr std::size_t chainLength = 8;
        std::uint32_t last = none;
        std::size_t walked = 0;
        for (std::uint32_t split = firstSplit_[vertex]; split != none;
             split = nextSplit_[split], ++walked) {
            if (normalOfSplit_[split] == normal) {
                added = false;
                return split;
            }
            last = split;
        }
        const auto fresh = static_cast<std::uint32_t>(normalOfSplit_.size());
        if (walked == chainLength) {
            const std::uint32_t found =
                table_.findOrAdd(std::uint64_t{vertex} << 32 | normal, fresh);
            if (found != fresh) {
                added = false;
                return found;
            }
        } else {
            (last == none ? firstSplit_[vertex] : nextSplit_[last]) = fresh;
        }
        normalOfSplit_.push_back(normal);
        nextSplit_.push_back(none);
        added = true;
        return fresh;
    }

  private:
    std::vector<std::uint32_t> firstSplit_;                // by position
    std::vector<std::uint32_t> normalOfSplit_, nextSplit_; // by split
    KeyTable table_;
};

// Once any mesh has vertex colours, every vertex of the merged mesh has one.
// base: the merged mesh's first vertex of this mesh.
void addColours(XMesh& merged, const XMeshRecord& mesh, std::size_t base,
                const std::vector<std::uint32_t>& splitSources) {
    if (mesh.colours.empty() && merged.colours.empty()) {
        return;
    }
    merged.colours.resize(base, uncolouredMeshColour);
    if (mesh.colours.empty()) {
        merged.colours.resize(merged.vertices.size(), uncolouredMeshColour);
        return;
    }
    merged.colours.insert(merged.colours.end(), mesh.colours.begin(), mesh.colours.end());
    for (std::uint32_t vertex : splitSources) {
        merged.colours.push_back(mesh.colours[vertex]);
    }
}

std::uint32_t materialOfFace(const XMeshRecord& mesh, std::size_t face) {
    if (mesh.faceMaterials.empty()) {
        return 0;
    }
    return mesh.faceMaterials[std::min(face, mesh.faceMaterials.size() - 1)];
}

// Room for a vertex split off at each corner, at most: room that no split takes is never
// touched, and so costs no memory.
std::size_t splitsAtMost(const XMeshRecord& mesh) {
    return mesh.normalCorners.empty() ? 0 : std::min(mesh.corners.size(), maxMeshVertices);
}

// The merged vertex of each corner of a mesh, corners asked in file order. Each position keeps
// the normal of the first corner that uses it; a corner giving it a different normal gets a
// vertex of its own, appended after the mesh's own vertices (those from `base`), once per pair of
// position and normal. sources: for each appended vertex, the position it was split from; kept
// only for a mesh with vertex colours, which the appended vertices copy.
class CornerVertices {
  public:
    CornerVertices(XMesh& merged, const XMeshRecord& mesh, std::size_t base,
                   std::size_t vertexCount, std::vector<std::uint32_t>& sources)
        : merged_(merged), mesh_(mesh), base_(base), vertexCount_(vertexCount),
          withNormals_(!mesh.normalCorners.empty()),
          keepSources_(withNormals_ && !mesh.colours.empty()),
          normalOfVertex_(withNormals_ ? vertexCount_ : 0, none),
          splits_(withNormals_ ? vertexCount_ : 0, splitsAtMost(mesh)), sources_(sources) {
        if (keepSources_) {
            reserveWithLargePages(sources_, splitsAtMost(mesh));
        }
    }

    // The merged vertex of corner `c`, which names the mesh's vertex `vertex`. Small enough to
    // be inlined into the loops over millions of corners when there are no normals to split by.
    std::uint32_t of(std::size_t c, std::uint32_t vertex) {
        return withNormals_ ? withNormal(c, vertex) : static_cast<std::uint32_t>(base_ + vertex);
    }

  private:
    std::uint32_t withNormal(std::size_t c, std::uint32_t vertex) {
        const std::uint32_t normal = mesh_.normalCorners[c];
        if (normalOfVertex_[vertex] == none) {
            normalOfVertex_[vertex] = normal;
            setNormal(merged_.vertices[base_ + vertex], mesh_, normal);
        }
        if (normalOfVertex_[vertex] == normal) {
            return static_cast<std::uint32_t>(base_ + vertex);
        }
        bool added = false;
        const std::uint32_t split = splits_.find(vertex, normal, added);
        if (added) {
            if (keepSources_) {
                sources_.push_back(vertex);
            }
            XVertex copy = merged_.vertices[base_ + vertex];
            setNormal(copy, mesh_, normal);
            merged_.vertices.push_back(copy);
        }
        return static_cast<std::uint32_t>(base_ + vertexCount_ + split);
    }

    XMesh& merged_;
    const XMeshRecord& mesh_;
    std::size_t base_, vertexCount_;
    bool withNormals_, keepSources_;
    std::vector<std::uint32_t> normalOfVertex_;
    SplitVertices splits_;
    std::vector<std::uint32_t>& sources_;
};

// A mesh whose faces are all triangles: its corners are its triangles' indices already, appended
// (or, for the merged mesh's first indices, taken whole) and renumbered in place. Their materials
// are left to addTriangleMaterials.
void addTriangles(XMesh& merged, XMeshRecord& mesh, CornerVertices& vertexOf) {
    const std::size_t first = merged.indices.size(), count = mesh.corners.size();
    if (first == 0) {
        merged.indices = std::move(mesh.corners);
    } else {
        merged.indices.insert(merged.indices.end(), mesh.corners.begin(), mesh.corners.end());
        mesh.corners = std::vector<std::uint32_t>();
    }
    for (std::size_t c = 0; c < count; ++c) {
        std::uint32_t& index = merged.indices[first + c];
        index = vertexOf.of(c, index);
    }
}

void addTriangleMaterials(XMesh& merged, const XMeshRecord& mesh, std::uint32_t materialBase,
                          std::size_t triangles) {
    reserveAtLeast(merged.attributes, merged.attributes.size() + triangles);
    for (std::size_t face = 0; face < triangles; ++face) {
        merged.attributes.push_back(materialBase + materialOfFace(mesh, face));
    }
}

// Faces of any size, each a fan of triangles from its first corner.
void addFans(XMesh& merged, const XMeshRecord& mesh, std::uint32_t materialBase,
             std::size_t triangles, CornerVertices& vertexOf) {
    reserveAtLeast(merged.attributes, merged.attributes.size() + triangles);
    std::size_t corner = 0;
    for (std::size_t face = 0; face < mesh.faceSizes.size(); ++face) {
        const std::uint32_t attribute = materialBase + materialOfFace(mesh, face);
        const std::uint32_t size = mesh.faceSizes[face];
        std::uint32_t first = 0, previous = 0;
        for (std::uint32_t i = 0; i < size; ++i, ++corner) {
            const std::uint32_t vertex = vertexOf.of(corner, mesh.corners[corner]);
            if (i >= 2) {
                merged.indices.insert(merged.indices.end(), {first, previous, vertex});
                merged.attributes.push_back(attribute);
            }
            first = i == 0 ? vertex : first;
            previous = vertex;
        }
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

bool XMeshMerge::addMesh(XMeshRecord mesh, int frame) {
    const std::size_t vertexCount = mesh.vertices.size();
    std::size_t triangles = mesh.faceSizes.empty() ? mesh.corners.size() / 3 : 0;
    for (std::uint32_t size : mesh.faceSizes) {
        triangles += size >= 3 ? size - 2 : 0;
    }
    const std::size_t base = merged_.vertices.size();
    const std::size_t firstTriangle = merged_.attributes.size();
    if (base + vertexCount > maxMeshVertices || firstTriangle + triangles > maxMeshTriangles) {
        return false;
    }
    // Meshes without a material list share one default material, as with D3DX a file of such
    // meshes has a single material.
    const bool sharesDefault = mesh.materials.empty() && defaultMaterialIndex_ != UINT32_MAX;
    const std::uint32_t materialBase = sharesDefault
                                           ? defaultMaterialIndex_
                                           : static_cast<std::uint32_t>(merged_.materials.size());
    if (base == 0) {
        merged_.vertices = std::move(mesh.vertices); // the first mesh's, taken whole
    }
    reserveAtLeast(merged_.vertices,
                   std::min(base + vertexCount + splitsAtMost(mesh), maxMeshVertices));
    if (!mesh.faceSizes.empty() || !merged_.indices.empty()) { // else the corners are taken
        reserveAtLeast(merged_.indices, merged_.indices.size() + triangles * 3);
    }
    if (base != 0) {
        merged_.vertices.insert(merged_.vertices.end(), mesh.vertices.begin(), mesh.vertices.end());
    }
    // The merged vertices now hold the positions and texture coordinates (a split copies its
    // position's): the record's go, so that the peak of a large load holds them once.
    mesh.vertices = std::vector<XVertex>();
    std::vector<std::uint32_t> splitSources;
    {
        CornerVertices vertexOf(merged_, mesh, base, vertexCount, splitSources);
        if (mesh.faceSizes.empty()) {
            addTriangles(merged_, mesh, vertexOf);
        } else {
            addFans(merged_, mesh, materialBase, triangles, vertexOf);
        }
    }
    if (merged_.vertices.size() > maxMeshVertices) {
        merged_.vertices.resize(base);
        merged_.indices.resize(firstTriangle * 3);
        merged_.attributes.resize(firstTriangle);
        return false;
    }
    // The triangles' materials only now that the splits' bookkeeping is let go: their memory may
    // be the same, and a large mesh's peak then holds one of the two, not both.
    if (mesh.faceSizes.empty()) {
        addTriangleMaterials(merged_, mesh, materialBase, triangles);
    }
    if (!mesh.materials.empty()) {
        merged_.materials.insert(merged_.materials.end(), mesh.materials.begin(),
                                 mesh.materials.end());
    } else if (!sharesDefault) {
        defaultMaterialIndex_ = materialBase;
        merged_.materials.push_back(defaultXMaterial);
    }
    addColours(merged_, mesh, base, splitSources);
    merged_.hasNormals = merged_.hasNormals || !mesh.normalCorners.empty();
    merged_.hasTexcoords = merged_.hasTexcoords || mesh.hasTexcoords;
    placed_.push_back({frame, base, merged_.vertices.size() - base});
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
