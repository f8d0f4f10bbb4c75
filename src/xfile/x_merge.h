// The merge of a .x file's meshes into one XMesh, the way D3DXLoadMeshFromX merges them: every
// mesh in file order, moved by the frames around it (a child frame's world matrix is its own
// matrix times its parent's, row vectors), polygons split into fans, a vertex split wherever
// faces give one position different normals, materials concatenated and each mesh's triangle
// attributes raised by the number of materials before it.
//
// It never reads the file: the object parser (x_objects.cpp) hands it the frames and meshes it
// reads, as plain records.
#pragma once

#include "xfile/x_mesh.h"

#include <array>

// Ceilings on what one file may make, whatever its counts claim.
constexpr std::size_t maxMeshVertices = 16u << 20;
constexpr std::size_t maxMeshTriangles = 16u << 20;
constexpr std::size_t maxMeshMaterials = 1u << 16;
// Corners of one mesh's faces: three per triangle, unless faces of fewer than 3 corners (which
// make no triangle) stand in for them.
constexpr std::size_t maxMeshCorners = 3 * maxMeshTriangles;

using XMatrix = std::array<float, 16>; // row-major, row vectors: p' = p × M

// What a mesh without a material list is drawn with.
extern const XMaterial defaultXMaterial;

// One mesh as the file gives it, before it is split into triangles and merged.
struct XMeshRecord {
    // Position and texture coordinate of each vertex, normals left to the merge: the merged mesh's
    // vertices as they will be, so that a file's only mesh is taken whole rather than copied.
    std::vector<XVertex> vertices;
    bool hasTexcoords = false;
    // Corners per face; empty when every face is a triangle, as most are.
    std::vector<std::uint32_t> faceSizes;
    std::vector<std::uint32_t> corners;       // vertex index of each corner, face after face
    std::vector<float> normals;               // three per normal
    std::vector<std::uint32_t> normalCorners; // normal index of each corner; empty without normals
    std::vector<XMaterial> materials;
    std::vector<std::uint32_t> faceMaterials; // may be shorter than the faces: the last repeats
    std::vector<std::uint32_t> colours;       // ARGB per vertex; empty without vertex colours

    std::size_t faceCount() const {
        return faceSizes.empty() ? corners.size() / 3 : faceSizes.size();
    }
    std::uint32_t faceSize(std::size_t face) const {
        return faceSizes.empty() ? 3 : faceSizes[face];
    }
};

class XMeshMerge {
  public:
    explicit XMeshMerge(XMesh& merged) : merged_(merged) {}

    // A frame inside `parent` (-1: the file's root) with the identity matrix; returns its index.
    int addFrame(int parent);
    // A frame's matrix may come after its meshes: each mesh is moved once all frames are known.
    void setFrameMatrix(int frame, const XMatrix& local) { frames_[frame].local = local; }
    // Appends a mesh read inside `frame` (-1: outside any frame). Returns false, with nothing
    // appended, when the merged mesh would pass the ceilings. The record is taken, not copied,
    // when moved in: its arrays are let go as soon as the merged mesh holds what they held.
    bool addMesh(XMeshRecord mesh, int frame);
    // Moves every mesh by its frame's world matrix; once, after the last frame and mesh.
    void placeMeshes();
    bool empty() const { return placed_.empty(); }
    std::size_t vertexCount() const { return merged_.vertices.size(); }
    std::size_t triangleCount() const { return merged_.attributes.size(); }

  private:
    struct Frame {
        int parent;
        XMatrix local;
    };
    struct PlacedMesh {
        int frame;
        std::size_t firstVertex;
        std::size_t vertexCount;
    };

    XMesh& merged_;
    std::vector<Frame> frames_;
    std::vector<PlacedMesh> placed_;
    std::uint32_t defaultMaterialIndex_ = UINT32_MAX;
};
