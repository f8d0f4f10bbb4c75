// Turns what our own .x loader read into what D3DXLoadMeshFromX gives: an ID3DXMesh and the
// material records. The viewer's fallback when D3DX refuses a file.
#pragma once

#include "gfx/graphics.h"
#include "xfile/x_mesh.h"

#include <d3dx9.h>

#include <vector>

// A system-memory mesh of position, normal and texture coordinate, 32-bit indices when 16 bits
// cannot hold them, its triangles sorted by material with the attribute table set, so subset i
// draws the triangles of material i.
HRESULT createMeshFromLoadedX(const XMesh& loaded, DWORD options, IDirect3DDevice9* device,
                              ID3DXMesh*& mesh, std::vector<MeshMaterial>& materials);
