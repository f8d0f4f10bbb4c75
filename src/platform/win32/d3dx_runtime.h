// D3DX 9 loaded at run time: d3dx9_43.dll is not part of a stock Windows, so the executable
// does not import it. The functions the viewer uses are looked up by name once.
#pragma once

#include <d3dx9.h>

struct D3dxFunctions {
    decltype(&D3DXLoadMeshFromXA) loadMeshFromX;
    decltype(&D3DXCreateMeshFVF) createMeshFvf;
    decltype(&D3DXCreateTextureFromFileA) createTextureFromFile;
    decltype(&D3DXCreateTextureFromFileExA) createTextureFromFileEx;
    decltype(&D3DXCreateFontIndirectA) createFontIndirect;
};

// The loaded functions, or null when the DLL or any one of them is missing.
const D3dxFunctions* d3dxFunctions();
