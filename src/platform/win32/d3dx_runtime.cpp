// Loads d3dx9_43.dll and the D3DX functions the viewer calls, once. The DLL stays loaded
// for the life of the process: its meshes, textures and fonts live as long.

#include "platform/win32/d3dx_runtime.h"

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
        lookUp(library, "D3DXCreateMeshFVF", functions.createMeshFvf) &&
        lookUp(library, "D3DXCreateTextureFromFileW", functions.createTextureFromFile) &&
        lookUp(library, "D3DXCreateTextureFromFileExW", functions.createTextureFromFileEx) &&
        lookUp(library, "D3DXCreateFontIndirectW", functions.createFontIndirect) &&
        lookUp(library, "D3DXCreateSprite", functions.createSprite);
    if (!complete) {
        FreeLibrary(library);
    }
    return complete;
}

} // namespace

const D3dxFunctions* d3dxFunctions() {
    static D3dxFunctions functions{};
    static const bool loaded = loadFunctions(functions);
    return loaded ? &functions : nullptr;
}
