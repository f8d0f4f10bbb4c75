// Windows probe: what D3DXLoadMeshFromX makes of a .x file, printed in the form x_mesh_dump
// prints our loader's result, so scripts/diff-x-loader.sh can compare the two under Wine.
//
//   d3dx_probe FILE.x            D3DX's mesh: counts, vertices, triangles with their
//                                attribute, materials with their texture names
//   d3dx_probe FILE.x --ours     the same printout from our own loader
//   d3dx_probe FILE.x --time N   loads N times with each and prints the mean times and ratio
//   d3dx_probe FILE.x --check    whether D3DX's mesh passes the viewer's mesh check (exit 0) or
//                                which rule it breaks first (exit 1)
//
// It makes a hidden window and a device (HAL, else REF) because D3DX meshes need one.

#include "platform/d3d9/d3dx_runtime.h"
#include "x_mesh_printout.h"
#include "xfile/x_mesh.h"

#include <windows.h>

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

IDirect3DDevice9* createHiddenDevice() {
    HWND window = CreateWindowA("STATIC", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (window == nullptr || direct3d == nullptr) {
        return nullptr;
    }
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
        if (SUCCEEDED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, type, window,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                             &device))) {
            return device;
        }
    }
    return nullptr;
}

// Offset of a vertex element of the given usage, or -1 when the mesh has none.
int elementOffset(ID3DXMesh* mesh, BYTE usage) {
    D3DVERTEXELEMENT9 elements[MAX_FVF_DECL_SIZE];
    mesh->GetDeclaration(elements);
    for (int i = 0; elements[i].Stream != 0xFF; ++i) {
        if (elements[i].Usage == usage && elements[i].UsageIndex == 0) {
            return elements[i].Offset;
        }
    }
    return -1;
}

void printD3dxMesh(ID3DXMesh* mesh, ID3DXBuffer* materialBuffer, DWORD materialCount) {
    const DWORD stride = mesh->GetNumBytesPerVertex();
    const int normalAt = elementOffset(mesh, D3DDECLUSAGE_NORMAL);
    const int texcoordAt = elementOffset(mesh, D3DDECLUSAGE_TEXCOORD);
    const int colourAt = elementOffset(mesh, D3DDECLUSAGE_COLOR);
    BYTE* vertices = nullptr;
    mesh->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&vertices));
    std::printf("vertices %lu\n", mesh->GetNumVertices());
    for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
        const BYTE* vertex = vertices + v * stride;
        const std::uint32_t colour =
            colourAt < 0 ? 0 : *reinterpret_cast<const std::uint32_t*>(vertex + colourAt);
        printVertexLine(reinterpret_cast<const float*>(vertex),
                        normalAt < 0 ? nullptr : reinterpret_cast<const float*>(vertex + normalAt),
                        texcoordAt < 0 ? nullptr
                                       : reinterpret_cast<const float*>(vertex + texcoordAt),
                        colourAt < 0 ? nullptr : &colour);
    }
    mesh->UnlockVertexBuffer();
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    BYTE* indices = nullptr;
    DWORD* attributes = nullptr;
    mesh->LockIndexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&indices));
    mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes);
    std::printf("triangles %lu\n", mesh->GetNumFaces());
    for (DWORD t = 0; t < mesh->GetNumFaces(); ++t) {
        DWORD corner[3];
        for (int k = 0; k < 3; ++k) {
            corner[k] = wide ? reinterpret_cast<DWORD*>(indices)[t * 3 + k]
                             : reinterpret_cast<WORD*>(indices)[t * 3 + k];
        }
        std::printf("t %lu %lu %lu %lu\n", corner[0], corner[1], corner[2], attributes[t]);
    }
    mesh->UnlockAttributeBuffer();
    mesh->UnlockIndexBuffer();
    std::printf("materials %lu\n", materialCount);
    const auto* records = materialBuffer != nullptr
                              ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer())
                              : nullptr;
    for (DWORD i = 0; records != nullptr && i < materialCount; ++i) {
        const D3DMATERIAL9& m = records[i].MatD3D;
        const float diffuse[4] = {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a};
        const float specular[3] = {m.Specular.r, m.Specular.g, m.Specular.b};
        const float emissive[3] = {m.Emissive.r, m.Emissive.g, m.Emissive.b};
        printMaterialLine(diffuse, m.Power, specular, emissive, records[i].pTextureFilename);
    }
}

double nowMilliseconds() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return count.QuadPart * 1000.0 / frequency.QuadPart;
}

int timeBoth(const char* fileName, IDirect3DDevice9* device, int rounds) {
    double d3dx = 0, ours = 0;
    for (int round = 0; round < rounds; ++round) {
        double start = nowMilliseconds();
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* materials = nullptr;
        DWORD count = 0;
        const HRESULT result = D3DXLoadMeshFromXA(fileName, D3DXMESH_SYSTEMMEM, device, nullptr,
                                                  &materials, nullptr, &count, &mesh);
        d3dx += nowMilliseconds() - start;
        if (FAILED(result)) {
            std::printf("d3dx error 0x%08lx\n", static_cast<unsigned long>(result));
            return 1;
        }
        mesh->Release();
        materials->Release();
        start = nowMilliseconds();
        XMesh loaded;
        std::string error;
        if (!loadXFile(fileName, loaded, error)) {
            std::printf("error %s\n", error.c_str());
            return 1;
        }
        ours += nowMilliseconds() - start;
    }
    std::printf("d3dx ms %.1f\nours ms %.1f\nratio %.3f\n", d3dx / rounds, ours / rounds,
                ours / d3dx);
    return 0;
}

int printMeshCheck(ID3DXMesh* mesh, DWORD materialCount) {
    const char* const verdicts[] = {"sound", "counts unlike buffers", "index past vertices",
                                    "attribute past materials", "unreadable buffers"};
    const MeshFault fault = d3dxMeshFault(mesh, materialCount);
    std::printf("check %s\n", verdicts[static_cast<int>(fault)]);
    return fault == MeshFault::none ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: d3dx_probe FILE.x [--ours | --time N | --check]\n");
        return 2;
    }
    const char* fileName = argv[1];
    if (argc > 2 && std::strcmp(argv[2], "--ours") == 0) {
        XMesh mesh;
        std::string error;
        if (!loadXFile(fileName, mesh, error)) {
            std::printf("error %s\n", error.c_str());
            return 1;
        }
        printLoadedMesh(mesh);
        return 0;
    }
    IDirect3DDevice9* device = createHiddenDevice();
    if (device == nullptr) {
        std::fprintf(stderr, "d3dx_probe: no Direct3D device\n");
        return 3;
    }
    if (argc > 3 && std::strcmp(argv[2], "--time") == 0) {
        return timeBoth(fileName, device, std::atoi(argv[3]));
    }
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    const HRESULT result = D3DXLoadMeshFromXA(fileName, D3DXMESH_SYSTEMMEM, device, nullptr,
                                              &materials, nullptr, &materialCount, &mesh);
    if (FAILED(result)) {
        std::printf("error d3dx 0x%08lx\n", static_cast<unsigned long>(result));
        return 1;
    }
    if (argc > 2 && std::strcmp(argv[2], "--check") == 0) {
        return printMeshCheck(mesh, materialCount);
    }
    printD3dxMesh(mesh, materials, materialCount);
    return 0;
}
