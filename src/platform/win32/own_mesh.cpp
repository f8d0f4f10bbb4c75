// Meshes without D3DX: our own .x loader's result in a managed vertex buffer and index buffer
// (32-bit indices when 16 bits cannot hold them), triangles sorted by material at load, so
// each subset is one indexed draw of one range, as ID3DXMesh::DrawSubset draws it.

#include "platform/win32/d3d9_x_mesh.h"
#include "platform/win32/own_helpers.h"
#include "platform/win32/win32_files.h"

#include <memory>

struct MeshData {
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    DWORD fvf = xMeshFvf;
    UINT stride = sizeof(XVertex);
    std::vector<D3DXATTRIBUTERANGE> subsets;

    ~MeshData() {
        if (indices != nullptr) {
            indices->Release();
        }
        if (vertices != nullptr) {
            vertices->Release();
        }
    }
};

namespace {

HRESULT uploadVertices(const XMesh& loaded, MeshData& mesh) {
    mesh.fvf = vertexFvf(loaded);
    mesh.stride = vertexStride(loaded);
    const UINT length = static_cast<UINT>(loaded.vertices.size() * mesh.stride);
    HRESULT result = mesh.device->CreateVertexBuffer(length, D3DUSAGE_WRITEONLY, mesh.fvf,
                                                     D3DPOOL_MANAGED, &mesh.vertices, nullptr);
    void* data = nullptr;
    if (FAILED(result) || FAILED(result = mesh.vertices->Lock(0, 0, &data, 0))) {
        return result;
    }
    fillVertices(loaded, data);
    return mesh.vertices->Unlock();
}

HRESULT uploadIndices(const XMesh& loaded, const std::vector<std::uint32_t>& order,
                      MeshData& mesh) {
    const bool wide = needsWideIndices(loaded);
    const UINT length = static_cast<UINT>(loaded.indices.size() * (wide ? 4 : 2));
    HRESULT result = mesh.device->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY,
                                                    wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                                    D3DPOOL_MANAGED, &mesh.indices, nullptr);
    void* data = nullptr;
    if (FAILED(result) || FAILED(result = mesh.indices->Lock(0, 0, &data, 0))) {
        return result;
    }
    fillIndices(loaded, order, wide, data);
    return mesh.indices->Unlock();
}

} // namespace

namespace own {

HRESULT loadMeshFromX(const char* fileName, DWORD, IDirect3DDevice9* device, MeshHandle& mesh,
                      std::vector<MeshMaterial>& materials) {
    mesh = nullptr;
    materials.clear();
    XMesh loaded;
    std::string error;
    if (!loadXFileByName(fileName, loaded, error) || loaded.attributes.empty() ||
        loaded.vertices.empty() || meshFault(loaded) != MeshFault::none) {
        return E_FAIL;
    }
    auto created = std::make_unique<MeshData>();
    created->device = device;
    const std::vector<std::uint32_t> order = trianglesByMaterial(loaded);
    HRESULT result = uploadVertices(loaded, *created);
    if (FAILED(result) || FAILED(result = uploadIndices(loaded, order, *created))) {
        return result;
    }
    created->subsets = attributeTable(loaded, order);
    mesh = created.release();
    materials = meshMaterials(loaded);
    return D3D_OK;
}

// A subset without triangles draws nothing and succeeds, as with D3DX.
HRESULT drawMeshSubset(MeshHandle mesh, DWORD subset) {
    for (const D3DXATTRIBUTERANGE& range : mesh->subsets) {
        if (range.AttribId != subset) {
            continue;
        }
        IDirect3DDevice9* device = mesh->device;
        device->SetFVF(mesh->fvf);
        device->SetStreamSource(0, mesh->vertices, 0, mesh->stride);
        device->SetIndices(mesh->indices);
        return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart,
                                            range.VertexCount, range.FaceStart * 3,
                                            range.FaceCount);
    }
    return D3D_OK;
}

void releaseMesh(MeshHandle mesh) {
    delete mesh;
}

} // namespace own
