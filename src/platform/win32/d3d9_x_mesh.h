// Turns what our own .x loader read into mesh data: the triangle order grouped by material,
// the index list in that order, one range per material, the material records — and, from
// these, the ID3DXMesh that D3DXLoadMeshFromX would give; and the check of a mesh that D3DX
// made. Shared by the D3DX helpers (files D3DX refuses) and our own mesh (no D3DX at all).
#pragma once

#include "gfx/graphics.h"
#include "gfx/mesh_check.h"
#include "xfile/x_mesh.h"

#include <d3dx9.h>

#include <cstdint>
#include <vector>

constexpr DWORD xMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// The vertex format of the loaded mesh: xMeshFvf, with a diffuse colour between the normal
// and the texture coordinate when the file gave vertex colours.
DWORD vertexFvf(const XMesh& loaded);
UINT vertexStride(const XMesh& loaded);
// The loaded vertices in that format, into a locked buffer.
void fillVertices(const XMesh& loaded, void* buffer);

// True when 16-bit indices cannot hold the mesh.
bool needsWideIndices(const XMesh& loaded);
// Triangle order grouped by material, keeping the file's order within each material.
std::vector<std::uint32_t> trianglesByMaterial(const XMesh& loaded);
// The loaded indices in that order, 32 or 16 bits wide, into a locked buffer.
void fillIndices(const XMesh& loaded, const std::vector<std::uint32_t>& order, bool wideIndices,
                 void* buffer);
// One range per material that has triangles: its faces and the span of vertices they use.
std::vector<D3DXATTRIBUTERANGE> attributeTable(const XMesh& loaded,
                                               const std::vector<std::uint32_t>& order);
std::vector<MeshMaterial> meshMaterials(const XMesh& loaded);

// Checks a mesh that D3DX made before anything else touches it: its counts against its buffers'
// sizes, and its indices and attributes through read-only locks.
MeshFault d3dxMeshFault(ID3DXMesh* mesh, DWORD materialCount);

// A mesh in the loaded mesh's vertex format made with the given D3DXCreateMeshFVF, 32-bit
// indices when 16 bits cannot hold them, its triangles sorted by material with the attribute
// table set, so subset i draws the triangles of material i. A loaded mesh that fails the
// mesh check makes no mesh.
HRESULT createMeshFromLoadedX(const XMesh& loaded, DWORD options, IDirect3DDevice9* device,
                              decltype(&D3DXCreateMeshFVF) createMeshFvf, ID3DXMesh*& mesh,
                              std::vector<MeshMaterial>& materials);
