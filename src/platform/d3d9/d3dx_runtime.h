// D3DX 9 loaded at run time: d3dx9_43.dll is not part of a stock Windows, so the executable
// does not import it. The functions the viewer uses are looked up by name once. Also the check
// of the meshes D3DX hands over, which the D3DX probe (tools/) shares.
#pragma once

#include "gfx/mesh_check.h"

#include <d3dx9.h>

struct D3dxFunctions {
    decltype(&D3DXLoadMeshFromXW) loadMeshFromX;
    decltype(&D3DXCreateTextureFromFileExW) createTextureFromFileEx;
    decltype(&D3DXCreateFontIndirectW) createFontIndirect;
    decltype(&D3DXCreateSprite) createSprite;
};

// The loaded functions, or null when the DLL or any one of them is missing.
const D3dxFunctions* d3dxFunctions();

// Checks a mesh that D3DX made before anything else touches it: its counts against its buffers'
// sizes, and its indices and attributes through read-only locks.
MeshFault d3dxMeshFault(ID3DXMesh* mesh, DWORD materialCount);
