// D3DX 9 loaded at run time: d3dx9_43.dll is not part of a stock Windows, so the executable
// does not import it. The functions the viewer uses are looked up by name once.
#pragma once

#include <d3dx9.h>

struct D3dxFunctions {
    decltype(&D3DXLoadMeshFromXW) loadMeshFromX;
    decltype(&D3DXCreateMeshFVF) createMeshFvf;
    decltype(&D3DXCreateTextureFromFileW) createTextureFromFile;
    decltype(&D3DXCreateTextureFromFileExW) createTextureFromFileEx;
    decltype(&D3DXCreateFontIndirectW) createFontIndirect;
    decltype(&D3DXCreateSprite) createSprite;
};

// The loaded functions, or null when the DLL or any one of them is missing.
const D3dxFunctions* d3dxFunctions();
