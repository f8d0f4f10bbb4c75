// Direct3D 9 meshes: implements loadMesh, drawMesh and releaseMesh of gfx/graphics.h. A .x file
// is loaded by D3DXLoadMeshFromX when D3DX is installed; when it is not, or D3DX refuses the
// file or hands over a mesh that fails the mesh check, our own reader loads it into a managed
// vertex buffer and a 32-bit index buffer, its triangles sorted by material (the core's
// trianglesByMaterial), so that each subset is one indexed draw of one range, as
// ID3DXMesh::DrawSubset draws it.

#include "gfx/mesh_subsets.h"
#include "platform/d3d9/d3d9_graphics.h"
#include "platform/d3d9/d3dx_runtime.h"
#include "platform/win32/win32_code_page.h"
#include "xfile/x_mesh.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

// Either D3DX's mesh or our own buffers with their subset ranges.
struct MeshData {
    ID3DXMesh* d3dxMesh = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    DWORD fvf = 0;
    UINT stride = 0;
    std::vector<SubsetRange> subsets;

    ~MeshData() {
        for (IUnknown* object : {static_cast<IUnknown*>(d3dxMesh), static_cast<IUnknown*>(vertices),
                                 static_cast<IUnknown*>(indices)}) {
            if (object != nullptr) {
                object->Release();
            }
        }
    }
};

namespace {

static_assert(sizeof(Material) == sizeof(D3DMATERIAL9) &&
              offsetof(Material, ambient) == offsetof(D3DMATERIAL9, Ambient) &&
              offsetof(Material, power) == offsetof(D3DMATERIAL9, Power));
static_assert(sizeof(XVertex) == 32 && offsetof(XVertex, normal) == 12 &&
                  offsetof(XVertex, texcoord) == 24,
              "XVertex is laid out as the vertex of D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1");

// 32-bit indices, so that a model of more than 65,535 vertices is drawn whole; managed, so
// that the device keeps its own copy instead of taking the vertices from system memory in
// every draw (which halved the frame rate), and a reset device keeps it too.
constexpr DWORD d3dxMeshOptions = D3DXMESH_MANAGED | D3DXMESH_32BIT;

// ---------------------------------------------------------------------------------------------
// D3DX

std::vector<MeshMaterial> copyMaterialList(ID3DXBuffer* buffer, DWORD count) {
    std::vector<MeshMaterial> materials;
    const auto* records = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
    for (DWORD i = 0; i < count; ++i) {
        MeshMaterial entry{};
        std::memcpy(&entry.material, &records[i].MatD3D, sizeof entry.material);
        if (records[i].pTextureFilename != nullptr) {
            entry.textureFileName = records[i].pTextureFilename;
        }
        materials.push_back(entry);
    }
    return materials;
}

// Sorts the faces by subset and gives the mesh an attribute table, so that each subset is
// drawn as one range instead of a scan of the attribute buffer, in vertex-cache order. A mesh
// that cannot be sorted is drawn as loaded.
void sortByAttribute(ID3DXMesh* mesh) {
    std::vector<DWORD> adjacency(3 * static_cast<std::size_t>(mesh->GetNumFaces()));
    if (SUCCEEDED(mesh->GenerateAdjacency(0.0f, adjacency.data()))) {
        mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, adjacency.data(),
                              nullptr, nullptr, nullptr);
    }
}

// Null when D3DX refuses the file. Nothing may index D3DX's mesh before it is checked: Wine's
// D3DX merges some files of several meshes into indices past the vertices, and adjacency then
// corrupts the heap.
std::unique_ptr<MeshData> loadWithD3dx(const char* fileName, std::vector<MeshMaterial>& materials) {
    ID3DXBuffer* materialBuffer = nullptr;
    DWORD materialCount = 0;
    ID3DXMesh* loaded = nullptr;
    if (FAILED(d3dxFunctions()->loadMeshFromX(fromCodePage932(fileName).c_str(), d3dxMeshOptions,
                                              device, nullptr, &materialBuffer, nullptr,
                                              &materialCount, &loaded))) {
        return nullptr;
    }
    auto mesh = std::make_unique<MeshData>();
    mesh->d3dxMesh = loaded;
    if (d3dxMeshFault(loaded, materialCount) != MeshFault::none) {
        mesh = nullptr;
    } else {
        sortByAttribute(loaded);
        if (materialBuffer != nullptr) {
            materials = copyMaterialList(materialBuffer, materialCount);
        }
    }
    if (materialBuffer != nullptr) {
        materialBuffer->Release();
    }
    return mesh;
}

// ---------------------------------------------------------------------------------------------
// Our own reader

// The vertices as the file gave them, with a diffuse colour between the normal and the
// texture coordinate when it gave vertex colours.
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

bool uploadVertices(const XMesh& loaded, MeshData& mesh) {
    const bool coloured = !loaded.colours.empty();
    mesh.fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 | (coloured ? D3DFVF_DIFFUSE : 0);
    mesh.stride = static_cast<UINT>(sizeof(XVertex) + (coloured ? sizeof(DWORD) : 0));
    const UINT length = static_cast<UINT>(loaded.vertices.size() * mesh.stride);
    void* data = nullptr;
    if (FAILED(device->CreateVertexBuffer(length, D3DUSAGE_WRITEONLY, mesh.fvf, D3DPOOL_MANAGED,
                                          &mesh.vertices, nullptr)) ||
        FAILED(mesh.vertices->Lock(0, 0, &data, 0))) {
        return false;
    }
    fillVertices(loaded, data);
    return SUCCEEDED(mesh.vertices->Unlock());
}

bool uploadIndices(const std::vector<std::uint32_t>& indices, MeshData& mesh) {
    const UINT length = static_cast<UINT>(indices.size() * sizeof(std::uint32_t));
    void* data = nullptr;
    if (FAILED(device->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                         D3DPOOL_MANAGED, &mesh.indices, nullptr)) ||
        FAILED(mesh.indices->Lock(0, 0, &data, 0))) {
        return false;
    }
    std::memcpy(data, indices.data(), length);
    return SUCCEEDED(mesh.indices->Unlock());
}

std::unique_ptr<MeshData> loadWithOwnReader(const char* fileName,
                                            std::vector<MeshMaterial>& materials) {
    XMesh loaded;
    std::string error;
    if (!loadXFile(fileName, loaded, error)) {
        std::fprintf(stderr, "viewer: %s: %s\n", fileName, error.c_str());
        return nullptr;
    }
    if (meshFault(loaded) != MeshFault::none) {
        std::fprintf(stderr, "viewer: %s: the mesh indexes past its vertices or materials\n",
                     fileName);
        return nullptr;
    }
    if (loaded.attributes.empty() || loaded.vertices.empty()) {
        return nullptr;
    }
    SortedTriangles sorted = trianglesByMaterial(loaded);
    auto mesh = std::make_unique<MeshData>();
    if (!uploadVertices(loaded, *mesh) || !uploadIndices(sorted.indices, *mesh)) {
        return nullptr;
    }
    mesh->subsets = std::move(sorted.subsets);
    materials = meshMaterials(loaded);
    return mesh;
}

// A subset without triangles draws nothing, as with D3DX.
void drawSubset(const MeshData& mesh, std::uint32_t subset) {
    if (mesh.d3dxMesh != nullptr) {
        mesh.d3dxMesh->DrawSubset(subset);
        return;
    }
    const SubsetRange* range = subsetOf(mesh.subsets, subset);
    if (range == nullptr) {
        return;
    }
    device->SetFVF(mesh.fvf);
    device->SetStreamSource(0, mesh.vertices, 0, mesh.stride);
    device->SetIndices(mesh.indices);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range->firstVertex, range->vertexCount,
                                 range->firstTriangle * 3, range->triangleCount);
}

// Lit with specular highlights, depth-tested and written, counter-clockwise triangles culled,
// opaque; the texture (white without one) times the lit colour, point-sampled. The light and
// camera are setLight's and the camera verbs'.
void setMeshStates() {
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The verbs

// D3DX refuses many real files (templates used undeclared, short material lists, numbers as
// frame names) and gives some others unsound; our own reader stands in for it then.
bool loadMesh(const char* fileName, MeshHandle& mesh, std::vector<MeshMaterial>& materials) {
    materials.clear();
    std::unique_ptr<MeshData> loaded;
    if (d3dxFunctions() != nullptr) {
        loaded = loadWithD3dx(fileName, materials);
    }
    if (loaded == nullptr) {
        materials.clear();
        loaded = loadWithOwnReader(fileName, materials);
    }
    mesh = loaded.release();
    return mesh != nullptr;
}

void drawMesh(MeshHandle mesh, const Matrix& world, const std::vector<Material>& materials,
              const std::vector<TextureHandle>& textures) {
    endTextBatch();
    device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&world));
    if (mesh == nullptr) {
        return;
    }
    setMeshStates();
    for (std::uint32_t subset = 0; subset < materials.size(); ++subset) {
        device->SetMaterial(reinterpret_cast<const D3DMATERIAL9*>(&materials[subset]));
        device->SetTexture(0, direct3dTexture(textures[subset]));
        drawSubset(*mesh, subset);
    }
}

void releaseMesh(MeshHandle mesh) {
    delete mesh;
}
