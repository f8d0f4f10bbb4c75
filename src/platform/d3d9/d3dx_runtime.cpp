// Loads d3dx9_43.dll and the D3DX functions the viewer calls, once. The DLL stays loaded
// for the life of the process: its meshes, textures and fonts live as long. Checks D3DX's
// meshes with the core's mesh check.

#include "platform/d3d9/d3dx_runtime.h"

#include <windows.h>

namespace {

template <typename Function> bool lookUp(HMODULE library, const char* name, Function& function) {
    // GetProcAddress returns a generic pointer; the DLL's export has the declared type.
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

bool loadFunctions(D3dxFunctions& functions) {
    const HMODULE library = LoadLibraryA("d3dx9_43.dll");
    if (library == nullptr) {
        return false;
    }
    const bool complete =
        lookUp(library, "D3DXLoadMeshFromXW", functions.loadMeshFromX) &&
        lookUp(library, "D3DXCreateTextureFromFileExW", functions.createTextureFromFileEx) &&
        lookUp(library, "D3DXCreateFontIndirectW", functions.createFontIndirect) &&
        lookUp(library, "D3DXCreateSprite", functions.createSprite);
    if (!complete) {
        FreeLibrary(library);
    }
    return complete;
}

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

const D3dxFunctions* d3dxFunctions() {
    static D3dxFunctions functions{};
    static const bool loaded = loadFunctions(functions);
    return loaded ? &functions : nullptr;
}

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
