// Mesh data from our own .x loader's result, and the ID3DXMesh built from it
// (D3DXCreateMeshFVF) for the files that D3DXLoadMeshFromX refuses.

#include "platform/win32/d3d9_x_mesh.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

constexpr std::size_t largest16BitIndex = 0xFFFF;

static_assert(sizeof(XVertex) == 32 && offsetof(XVertex, normal) == 12 &&
                  offsetof(XVertex, texcoord) == 24,
              "XVertex is laid out as the vertex of D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1");

template <typename Index>
void fillIndicesOf(const XMesh& loaded, const std::vector<std::uint32_t>& order, void* buffer) {
    Index* out = static_cast<Index*>(buffer);
    for (std::uint32_t triangle : order) {
        for (int k = 0; k < 3; ++k) {
            *out++ = static_cast<Index>(loaded.indices[triangle * 3 + k]);
        }
    }
}

MeshMaterial meshMaterial(const XMaterial& source) {
    MeshMaterial entry{};
    const float* d = source.diffuse;
    entry.material.diffuse = {d[0], d[1], d[2], d[3]};
    entry.material.specular = {source.specular[0], source.specular[1], source.specular[2], 1.0f};
    entry.material.emissive = {source.emissive[0], source.emissive[1], source.emissive[2], 1.0f};
    entry.material.power = source.power;
    entry.textureFileName = source.textureFileName;
    return entry;
}

} // namespace

DWORD vertexFvf(const XMesh& loaded) {
    return loaded.colours.empty() ? xMeshFvf : xMeshFvf | D3DFVF_DIFFUSE;
}

UINT vertexStride(const XMesh& loaded) {
    return static_cast<UINT>(sizeof(XVertex) + (loaded.colours.empty() ? 0 : sizeof(DWORD)));
}

void fillVertices(const XMesh& loaded, void* buffer) {
    if (loaded.colours.empty()) {
        std::memcpy(buffer, loaded.vertices.data(), loaded.vertices.size() * sizeof(XVertex));
        return;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    constexpr std::size_t colourAt = offsetof(XVertex, texcoord);
    for (std::size_t i = 0; i < loaded.vertices.size(); ++i) {
        const auto* vertex = reinterpret_cast<const unsigned char*>(&loaded.vertices[i]);
        std::memcpy(out, vertex, colourAt);
        std::memcpy(out + colourAt, &loaded.colours[i], sizeof(DWORD));
        std::memcpy(out + colourAt + sizeof(DWORD), vertex + colourAt, sizeof(XVertex) - colourAt);
        out += sizeof(XVertex) + sizeof(DWORD);
    }
}

bool needsWideIndices(const XMesh& loaded) {
    return loaded.vertices.size() > largest16BitIndex ||
           loaded.attributes.size() > largest16BitIndex;
}

std::vector<std::uint32_t> trianglesByMaterial(const XMesh& loaded) {
    std::vector<std::uint32_t> order(loaded.attributes.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return loaded.attributes[a] < loaded.attributes[b];
    });
    return order;
}

void fillIndices(const XMesh& loaded, const std::vector<std::uint32_t>& order, bool wideIndices,
                 void* buffer) {
    wideIndices ? fillIndicesOf<std::uint32_t>(loaded, order, buffer)
                : fillIndicesOf<std::uint16_t>(loaded, order, buffer);
}

std::vector<D3DXATTRIBUTERANGE> attributeTable(const XMesh& loaded,
                                               const std::vector<std::uint32_t>& order) {
    std::vector<D3DXATTRIBUTERANGE> table;
    for (std::size_t face = 0; face < order.size(); ++face) {
        const DWORD attribute = loaded.attributes[order[face]];
        if (table.empty() || table.back().AttribId != attribute) {
            table.push_back({attribute, static_cast<DWORD>(face), 0, UINT32_MAX, 0});
        }
        D3DXATTRIBUTERANGE& range = table.back();
        ++range.FaceCount;
        for (int k = 0; k < 3; ++k) {
            const DWORD vertex = loaded.indices[order[face] * 3 + k];
            const DWORD end = std::max(
                range.VertexStart == UINT32_MAX ? 0 : range.VertexStart + range.VertexCount,
                vertex + 1);
            range.VertexStart = std::min(range.VertexStart, vertex);
            range.VertexCount = end - range.VertexStart;
        }
    }
    return table;
}

std::vector<MeshMaterial> meshMaterials(const XMesh& loaded) {
    std::vector<MeshMaterial> materials;
    std::transform(loaded.materials.begin(), loaded.materials.end(), std::back_inserter(materials),
                   meshMaterial);
    return materials;
}

namespace {

// The sizes in bytes of the mesh's vertex and index buffers, and the width of its indices.
bool describeBuffers(ID3DXMesh* mesh, MeshBuffers& buffers) {
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    D3DVERTEXBUFFER_DESC vertexDescription{};
    D3DINDEXBUFFER_DESC indexDescription{};
    if (SUCCEEDED(mesh->GetVertexBuffer(&vertexBuffer))) {
        vertexBuffer->GetDesc(&vertexDescription);
        vertexBuffer->Release();
    }
    if (SUCCEEDED(mesh->GetIndexBuffer(&indexBuffer))) {
        indexBuffer->GetDesc(&indexDescription);
        indexBuffer->Release();
    }
    buffers.vertexBytes = vertexDescription.Size;
    buffers.indexBytes = indexDescription.Size;
    buffers.wideIndices = indexDescription.Format == D3DFMT_INDEX32;
    return vertexBuffer != nullptr && indexBuffer != nullptr;
}

} // namespace

MeshFault d3dxMeshFault(ID3DXMesh* mesh, DWORD materialCount) {
    MeshBuffers buffers;
    buffers.faceCount = mesh->GetNumFaces();
    buffers.vertexCount = mesh->GetNumVertices();
    buffers.vertexStride = mesh->GetNumBytesPerVertex();
    buffers.materialCount = materialCount;
    if (!describeBuffers(mesh, buffers)) {
        return MeshFault::unreadableBuffers;
    }
    void* indices = nullptr;
    DWORD* attributes = nullptr;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices))) {
        return MeshFault::unreadableBuffers;
    }
    MeshFault fault = MeshFault::unreadableBuffers;
    if (SUCCEEDED(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes))) {
        buffers.indices = indices;
        buffers.attributes = reinterpret_cast<const std::uint32_t*>(attributes);
        fault = meshFault(buffers);
        mesh->UnlockAttributeBuffer();
    }
    mesh->UnlockIndexBuffer();
    return fault;
}

namespace {

HRESULT fillMesh(const XMesh& loaded, bool wideIndices, ID3DXMesh* mesh) {
    void* data = nullptr;
    HRESULT result = mesh->LockVertexBuffer(0, &data);
    if (FAILED(result)) {
        return result;
    }
    fillVertices(loaded, data);
    mesh->UnlockVertexBuffer();

    const std::vector<std::uint32_t> order = trianglesByMaterial(loaded);
    if (FAILED(result = mesh->LockIndexBuffer(0, &data))) {
        return result;
    }
    fillIndices(loaded, order, wideIndices, data);
    mesh->UnlockIndexBuffer();

    DWORD* attributes = nullptr;
    if (FAILED(result = mesh->LockAttributeBuffer(0, &attributes))) {
        return result;
    }
    for (std::uint32_t triangle : order) {
        *attributes++ = loaded.attributes[triangle];
    }
    mesh->UnlockAttributeBuffer();

    const std::vector<D3DXATTRIBUTERANGE> table = attributeTable(loaded, order);
    return mesh->SetAttributeTable(table.data(), static_cast<DWORD>(table.size()));
}

} // namespace

HRESULT createMeshFromLoadedX(const XMesh& loaded, DWORD options, IDirect3DDevice9* device,
                              decltype(&D3DXCreateMeshFVF) createMeshFvf, ID3DXMesh*& mesh,
                              std::vector<MeshMaterial>& materials) {
    mesh = nullptr;
    materials.clear();
    const std::size_t triangles = loaded.attributes.size();
    if (triangles == 0 || loaded.vertices.empty() || meshFault(loaded) != MeshFault::none) {
        return E_FAIL;
    }
    // 32-bit indices when the load asks for them or the mesh needs them.
    const bool wideIndices = (options & D3DXMESH_32BIT) != 0 || needsWideIndices(loaded);
    ID3DXMesh* created = nullptr;
    HRESULT result = createMeshFvf(
        static_cast<DWORD>(triangles), static_cast<DWORD>(loaded.vertices.size()),
        options | (wideIndices ? D3DXMESH_32BIT : 0), vertexFvf(loaded), device, &created);
    if (FAILED(result)) {
        return result;
    }
    if (FAILED(result = fillMesh(loaded, wideIndices, created))) {
        created->Release();
        return result;
    }
    mesh = created;
    materials = meshMaterials(loaded);
    return D3D_OK;
}
