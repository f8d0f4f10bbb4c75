// Direct3D 9 screen quads: implements createQuadBuffer, drawScreenQuad and releaseQuadBuffer
// of gfx/graphics.h. Each buffer is a dynamic vertex buffer of one quad in the default pool,
// rewritten whole in every draw: locked with discard, the driver hands over fresh memory
// instead of waiting for the previous frame's draw to finish with it. The default pool is
// emptied when the device is lost, so the buffers are kept in a list to be made again.

#include "platform/win32/d3d9_graphics.h"

#include <algorithm>
#include <cstring>

struct QuadBufferObject {
    IDirect3DVertexBuffer9* vertices = nullptr;
};

namespace {

constexpr DWORD screenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT quadBytes = sizeof(ScreenQuad);

std::vector<QuadBufferObject*> quadBuffers;

void createVertices(QuadBufferObject& buffer) {
    if (FAILED(device->CreateVertexBuffer(quadBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                          screenVertexFvf, D3DPOOL_DEFAULT, &buffer.vertices,
                                          nullptr))) {
        buffer.vertices = nullptr;
    }
}

void releaseVertices(QuadBufferObject& buffer) {
    if (buffer.vertices != nullptr) {
        buffer.vertices->Release();
        buffer.vertices = nullptr;
    }
}

// Texture times vertex colour, blended over the picture by their alpha.
void setBlendStates(TextureHandle texture) {
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, direct3dTexture(texture));
}

} // namespace

QuadBufferHandle createQuadBuffer() {
    auto* buffer = new QuadBufferObject;
    createVertices(*buffer);
    if (buffer->vertices == nullptr) {
        delete buffer;
        return nullptr;
    }
    quadBuffers.push_back(buffer);
    return buffer;
}

bool drawScreenQuad(QuadBufferHandle buffer, const ScreenQuad& quad, TextureHandle texture) {
    void* locked = nullptr;
    if (buffer->vertices == nullptr ||
        FAILED(buffer->vertices->Lock(0, quadBytes, &locked, D3DLOCK_DISCARD))) {
        return false; // no quad this frame, and no state changed
    }
    std::memcpy(locked, quad.data(), quadBytes);
    buffer->vertices->Unlock();
    setBlendStates(texture);
    device->SetStreamSource(0, buffer->vertices, 0, sizeof(ScreenVertex));
    device->SetFVF(screenVertexFvf);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    return true;
}

void releaseQuadBuffer(QuadBufferHandle buffer) {
    releaseVertices(*buffer);
    quadBuffers.erase(std::find(quadBuffers.begin(), quadBuffers.end(), buffer));
    delete buffer;
}

void releaseQuadVertexBuffers() {
    for (QuadBufferObject* buffer : quadBuffers) {
        releaseVertices(*buffer);
    }
}

void recreateQuadVertexBuffers() {
    for (QuadBufferObject* buffer : quadBuffers) {
        createVertices(*buffer);
    }
}
