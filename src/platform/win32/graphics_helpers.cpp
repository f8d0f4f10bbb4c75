// Chooses the helper implementation once: D3DX when it loads, our own otherwise.

#include "platform/win32/graphics_helpers.h"

#include "platform/win32/own_helpers.h"

const GraphicsHelpers& ownHelpers() {
    static const GraphicsHelpers helpers = {
        own::loadMeshFromX,
        own::drawMeshSubset,
        own::releaseMesh,
        own::createTextureFromFile,
        own::createTextureFromFileEx,
        own::createFont,
        own::drawText,
        own::releaseFont,
    };
    return helpers;
}

const GraphicsHelpers& graphicsHelpers() {
    static const GraphicsHelpers& chosen = d3dxHelpers() != nullptr ? *d3dxHelpers() : ownHelpers();
    return chosen;
}
