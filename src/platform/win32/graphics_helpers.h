// The operations the viewer takes from D3DX 9 — meshes from .x files, textures from image
// files, a font and its text — as one table with two implementations, chosen once, the first
// time a helper is needed during start-up: D3DX's own when d3dx9_43.dll and its functions
// load, else ours over plain Direct3D 9, GDI and stb_image. The rest of the Windows layer
// calls through the table and never asks which one it has. Handles are the chosen
// implementation's own objects.
#pragma once

#include "gfx/graphics.h"

#include <d3d9.h>

#include <vector>

struct GraphicsHelpers {
    // D3DXLoadMeshFromX, then our own reader for files D3DX refuses.
    HRESULT(*loadMeshFromX)
    (const char* fileName, DWORD options, IDirect3DDevice9* device, MeshHandle& mesh,
     std::vector<MeshMaterial>& materials);
    HRESULT (*drawMeshSubset)(MeshHandle mesh, DWORD subset);
    void (*releaseMesh)(MeshHandle mesh);

    HRESULT(*createTextureFromFile)
    (IDirect3DDevice9* device, const char* fileName, IDirect3DTexture9** texture);
    HRESULT(*createTextureFromFileEx)
    (IDirect3DDevice9* device, const char* fileName, UINT width, UINT height, UINT mipLevels,
     DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
     IDirect3DTexture9** texture);

    HRESULT(*createFont)
    (IDirect3DDevice9* device, const FontDescription& description, FontHandle& font);
    // ID3DXFont::DrawText: the drawn height, 0 on failure. Texts are the last things a frame
    // draws, so D3DX's batches them all in one sprite until endTextBatch.
    INT(*drawText)
    (FontHandle font, const char* text, INT count, RECT& rect, DWORD format, D3DCOLOR color);
    void (*releaseFont)(FontHandle font);
    // What a font holds in the device's default pool goes before a reset and comes back after.
    void (*fontOnLostDevice)(FontHandle font);
    HRESULT (*fontOnResetDevice)(FontHandle font);
    // Ends the texts drawn since the scene began, before the scene ends.
    void (*endTextBatch)();
};

const GraphicsHelpers& graphicsHelpers();

// The two implementations; d3dxHelpers is null when the runtime or a function is missing.
const GraphicsHelpers* d3dxHelpers();
const GraphicsHelpers& ownHelpers();
