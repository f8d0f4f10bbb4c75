// The check that every mesh passes before anything indexes it: adjacency, optimisation, the
// attribute table or a draw read vertices through the indices and materials through the
// attributes, so one index past the vertices corrupts memory. Loaders are not trusted here:
// Wine's D3DX merges some multi-mesh files into a mesh whose indices point past its vertices.
#pragma once

#include <cstddef>
#include <cstdint>

struct XMesh;

enum class MeshFault {
    none,
    countsUnlikeBuffers,    // the face or vertex count is not what the buffers hold
    indexPastVertices,      // an index at or past the vertex count
    attributePastMaterials, // an attribute at or past the material count
    unreadableBuffers,      // a buffer could not be read to check it
};

// A mesh's buffers as its loader handed them over: three indices per face, 16 or 32 bits
// wide, and one attribute per face.
struct MeshBuffers {
    std::size_t faceCount = 0;
    std::size_t vertexCount = 0;
    std::size_t materialCount = 0;
    std::size_t vertexStride = 0;
    std::size_t vertexBytes = 0; // what the vertex buffer holds
    const void* indices = nullptr;
    std::size_t indexBytes = 0; // what the index buffer holds
    bool wideIndices = false;
    const std::uint32_t* attributes = nullptr; // faceCount of them
};

MeshFault meshFault(const MeshBuffers& mesh);
// Our own loader's merged mesh, vertex colours included.
MeshFault meshFault(const XMesh& mesh);
