// Our own stand-ins for the D3DX helpers, over plain Direct3D 9: meshes (own_mesh.cpp),
// textures (own_texture.cpp) and the font (gdi_font.cpp). Each keeps the meaning of the D3DX
// call it replaces; graphics_helpers.cpp gathers them into the helper table.
#pragma once

#include "platform/win32/graphics_helpers.h"

namespace own {

HRESULT loadMeshFromX(const char* fileName, DWORD options, IDirect3DDevice9* device,
                      MeshHandle& mesh, std::vector<MeshMaterial>& materials);
HRESULT drawMeshSubset(MeshHandle mesh, DWORD subset);
void releaseMesh(MeshHandle mesh);

HRESULT createTextureFromFile(IDirect3DDevice9* device, const char* fileName,
                              IDirect3DTexture9** texture);
HRESULT createTextureFromFileEx(IDirect3DDevice9* device, const char* fileName, UINT width,
                                UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                IDirect3DTexture9** texture);

HRESULT createFont(IDirect3DDevice9* device, const FontDescription& description, FontHandle& font);
INT drawText(FontHandle font, const char* text, INT count, RECT& rect, DWORD format,
             D3DCOLOR color);
void releaseFont(FontHandle font);

} // namespace own
