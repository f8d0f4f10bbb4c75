// Chooses the helper implementation once: D3DX when it loads, our own otherwise.

#include "platform/win32/graphics_helpers.h"

#include "platform/win32/own_helpers.h"

const GraphicsHelpers& ownHelpers() {
    static const GraphicsHelpers helpers = {
        own::loadMeshFromX, own::drawMeshSubset, own::releaseMesh, own::createTextureFromFile,
        own::createTextureFromFileEx, own::createFont, own::drawText, own::releaseFont,
        // Our font keeps nothing in the default pool: a reset leaves it as it is.
        [](FontHandle) {}, [](FontHandle) -> HRESULT { return D3D_OK; },
        [] {}, // each of our texts is one quad: there is nothing to batch
    };
    return helpers;
}

const GraphicsHelpers& graphicsHelpers() {
    static const GraphicsHelpers& chosen = d3dxHelpers() != nullptr ? *d3dxHelpers() : ownHelpers();
    return chosen;
}
