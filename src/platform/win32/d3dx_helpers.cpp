// The helper table over D3DX 9 itself, loaded at run time (d3dx_runtime.cpp): meshes from
// D3DXLoadMeshFromX, textures from D3DXCreateTextureFromFile[Ex], text through ID3DXFont.
// Files that D3DX refuses are read with our own .x loader into an ID3DXMesh. Handles are the
// D3DX interfaces themselves.

#include "platform/win32/d3d9_x_mesh.h"
#include "platform/win32/d3dx_runtime.h"
#include "platform/win32/graphics_helpers.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_text.h"

#include <cstring>

namespace {

const D3dxFunctions& d3dx() {
    return *d3dxFunctions();
}

ID3DXMesh* d3dxMesh(MeshHandle mesh) {
    return reinterpret_cast<ID3DXMesh*>(mesh);
}

ID3DXFont* d3dxFont(FontHandle font) {
    return reinterpret_cast<ID3DXFont*>(font);
}

// One sprite shared by the texts of a frame: without it the font sets up and restores its
// drawing state for every text. Begun by the frame's first text, ended before the scene ends.
ID3DXSprite* textSprite = nullptr;
bool textSpriteBegun = false;

std::vector<MeshMaterial> copyMaterialList(ID3DXBuffer* buffer, DWORD count) {
    std::vector<MeshMaterial> materials;
    if (buffer == nullptr) {
        return materials;
    }
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

// D3DX refuses many real files (templates used undeclared, short material lists, numbers as
// frame names) and gives some others unsound; our own reader stands in for it then.
HRESULT loadMeshWithOwnReader(const char* fileName, DWORD options, IDirect3DDevice9* device,
                              MeshHandle& mesh, std::vector<MeshMaterial>& materials) {
    XMesh loaded;
    std::string error;
    if (!loadXFileByName(fileName, loaded, error)) {
        return E_FAIL;
    }
    ID3DXMesh* created = nullptr;
    const HRESULT result =
        createMeshFromLoadedX(loaded, options, device, d3dx().createMeshFvf, created, materials);
    mesh = reinterpret_cast<MeshHandle>(created);
    return result;
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

HRESULT loadMeshFromX(const char* fileName, DWORD options, IDirect3DDevice9* device,
                      MeshHandle& mesh, std::vector<MeshMaterial>& materials) {
    ID3DXBuffer* materialBuffer = nullptr;
    DWORD materialCount = 0;
    ID3DXMesh* loaded = nullptr;
    HRESULT result =
        d3dx().loadMeshFromX(fromCodePage932(fileName).c_str(), options, device, nullptr,
                             &materialBuffer, nullptr, &materialCount, &loaded);
    mesh = nullptr;
    materials.clear();
    // Nothing may index D3DX's mesh before it is checked: Wine's D3DX merges some files of
    // several meshes into indices past the vertices, and adjacency then corrupts the heap.
    if (SUCCEEDED(result) && d3dxMeshFault(loaded, materialCount) != MeshFault::none) {
        loaded->Release();
        result = E_FAIL;
    }
    if (SUCCEEDED(result)) {
        sortByAttribute(loaded);
        mesh = reinterpret_cast<MeshHandle>(loaded);
        materials = copyMaterialList(materialBuffer, materialCount);
    }
    if (materialBuffer != nullptr) {
        materialBuffer->Release();
    }
    return SUCCEEDED(result) ? result
                             : loadMeshWithOwnReader(fileName, options, device, mesh, materials);
}

HRESULT drawMeshSubset(MeshHandle mesh, DWORD subset) {
    return d3dxMesh(mesh)->DrawSubset(subset);
}

void releaseMesh(MeshHandle mesh) {
    d3dxMesh(mesh)->Release();
}

HRESULT createTextureFromFile(IDirect3DDevice9* device, const char* fileName,
                              IDirect3DTexture9** texture) {
    return d3dx().createTextureFromFile(device, fromCodePage932(fileName).c_str(), texture);
}

HRESULT createTextureFromFileEx(IDirect3DDevice9* device, const char* fileName, UINT width,
                                UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                IDirect3DTexture9** texture) {
    return d3dx().createTextureFromFileEx(device, fromCodePage932(fileName).c_str(), width, height,
                                          mipLevels, usage, format, pool, filter, mipFilter,
                                          colorKey, nullptr, nullptr, texture);
}

// The W form of the record: the face name, code page 932 in the core, is converted so that it
// names the same face in any locale.
D3DXFONT_DESCW asRecord(const FontDescription& description) {
    D3DXFONT_DESCW record{};
    record.Height = description.height;
    record.Width = description.width;
    record.Weight = description.weight;
    record.MipLevels = description.mipLevels;
    record.Italic = description.italic ? TRUE : FALSE;
    record.CharSet = description.charSet;
    record.OutputPrecision = description.outputPrecision;
    record.Quality = description.quality;
    record.PitchAndFamily = description.pitchAndFamily;
    fromCodePage932(description.faceName.c_str()).copy(record.FaceName, LF_FACESIZE - 1);
    return record;
}

HRESULT createFont(IDirect3DDevice9* device, const FontDescription& description, FontHandle& font) {
    const D3DXFONT_DESCW record = asRecord(description);
    ID3DXFont* created = nullptr;
    const HRESULT result = d3dx().createFontIndirect(device, &record, &created);
    font = reinterpret_cast<FontHandle>(SUCCEEDED(result) ? created : nullptr);
    if (SUCCEEDED(result) && FAILED(d3dx().createSprite(device, &textSprite))) {
        textSprite = nullptr; // each text then sets up its own state
    }
    return result;
}

// The sprite asks for anisotropic or linear filtering between mipmap levels, which a software
// rasteriser pays for in every text pixel: under Wine on the demo scene it made the texts
// cost as much as the model and wall together. Glyphs are drawn texel for texel, so the
// nearest texel is the one wanted (under Wine the filtering also blurred their edges). The
// sprite puts the previous filters back when it ends.
void sampleGlyphsTexelForTexel(ID3DXSprite* sprite) {
    IDirect3DDevice9* device = nullptr;
    if (FAILED(sprite->GetDevice(&device))) {
        return;
    }
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->Release();
}

INT drawText(FontHandle font, const char* text, INT count, RECT& rect, DWORD format,
             D3DCOLOR color) {
    if (textSprite != nullptr && !textSpriteBegun) {
        textSpriteBegun =
            SUCCEEDED(textSprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE));
        if (textSpriteBegun) {
            sampleGlyphsTexelForTexel(textSprite);
        }
    }
    const std::string bytes = count < 0 ? std::string(text) : std::string(text, count);
    return d3dxFont(font)->DrawTextW(textSpriteBegun ? textSprite : nullptr,
                                     fromCodePage932(bytes.c_str()).c_str(), -1, &rect, format,
                                     color);
}

void endTextBatch() {
    if (textSpriteBegun) {
        textSprite->End();
        textSpriteBegun = false;
    }
}

void releaseFont(FontHandle font) {
    if (textSprite != nullptr) {
        textSprite->Release();
        textSprite = nullptr;
    }
    d3dxFont(font)->Release();
}

void fontOnLostDevice(FontHandle font) {
    if (textSprite != nullptr) {
        textSprite->OnLostDevice();
    }
    d3dxFont(font)->OnLostDevice();
}

HRESULT fontOnResetDevice(FontHandle font) {
    if (textSprite != nullptr) {
        textSprite->OnResetDevice();
    }
    return d3dxFont(font)->OnResetDevice();
}

const GraphicsHelpers helpers = {
    loadMeshFromX,           drawMeshSubset,    releaseMesh,  createTextureFromFile,
    createTextureFromFileEx, createFont,        drawText,     releaseFont,
    fontOnLostDevice,        fontOnResetDevice, endTextBatch,
};

} // namespace

const GraphicsHelpers* d3dxHelpers() {
    return d3dxFunctions() != nullptr ? &helpers : nullptr;
}
