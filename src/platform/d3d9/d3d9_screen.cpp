// Direct3D 9 screen quads: implements createQuadBuffer, drawScreenQuad and releaseQuadBuffer
// of gfx/graphics.h, and the pre-transformed quads the text without D3DX is drawn with.
//
// The seam gives corners in pixels with whole numbers on pixel edges; Direct3D 9 puts pixel
// centres on whole numbers, so the corners go half a pixel back (each pixel then samples its
// texel's centre), with the reciprocal w and depth a pre-transformed vertex carries. A quad
// sets the states it needs and puts back their previous values afterwards, through a state
// block recorded once per device. Each buffer is a dynamic vertex buffer of one quad in the
// default pool, rewritten whole in every draw: locked with discard, the driver hands over fresh
// memory instead of waiting for the previous frame's draw to finish with it. The default pool
// is emptied when the device is lost, so the buffers are kept in a list to be made again.

#include "platform/d3d9/d3d9_graphics.h"

#include <algorithm>
#include <array>
#include <cstring>

struct QuadBufferObject {
    IDirect3DVertexBuffer9* vertices = nullptr;
};

namespace {

struct TransformedVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
using TransformedQuad = std::array<TransformedVertex, 4>;

constexpr DWORD transformedVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT quadBytes = sizeof(TransformedQuad);

std::vector<QuadBufferObject*> quadBuffers;
// Holds, during a quad's draw, the previous values of the states the quad sets.
IDirect3DStateBlock9* statesBeforeQuad = nullptr;

TransformedQuad transformed(const ScreenQuad& quad) {
    TransformedQuad corners{};
    for (std::size_t i = 0; i < quad.size(); ++i) {
        corners[i] = {quad[i].x - 0.5f, quad[i].y - 0.5f, 0.0f,     1.0f,
                      quad[i].color,    quad[i].u,        quad[i].v};
    }
    return corners;
}

// Texture times vertex colour, blended over the picture by their alpha: unlit, without depth
// test or culling, exact texels.
void setQuadStates(IDirect3DTexture9* texture, IDirect3DVertexBuffer9* vertices) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetFVF(transformedVertexFvf);
    device->SetTexture(0, texture);
    device->SetStreamSource(0, vertices, 0, sizeof(TransformedVertex));
}

// The block captures the present values of the quad's states before each draw, so that
// applying it afterwards puts exactly those back. Without it no quad is drawn.
bool saveStatesBeforeQuad() {
    if (statesBeforeQuad == nullptr) {
        device->BeginStateBlock();
        setQuadStates(nullptr, nullptr);
        if (FAILED(device->EndStateBlock(&statesBeforeQuad))) {
            statesBeforeQuad = nullptr;
            return false;
        }
    }
    return SUCCEEDED(statesBeforeQuad->Capture());
}

void createVertices(QuadBufferObject& buffer) {
    if (FAILED(device->CreateVertexBuffer(quadBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                          transformedVertexFvf, D3DPOOL_DEFAULT, &buffer.vertices,
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

bool writeQuad(IDirect3DVertexBuffer9* vertices, const ScreenQuad& quad) {
    void* locked = nullptr;
    if (vertices == nullptr || FAILED(vertices->Lock(0, quadBytes, &locked, D3DLOCK_DISCARD))) {
        return false;
    }
    const TransformedQuad corners = transformed(quad);
    std::memcpy(locked, corners.data(), quadBytes);
    vertices->Unlock();
    return true;
}

} // namespace

void drawTransformedQuads(const std::vector<ScreenQuad>& quads, IDirect3DTexture9* texture) {
    endTextBatch();
    if (quads.empty() || !saveStatesBeforeQuad()) {
        return;
    }
    std::vector<TransformedVertex> triangles;
    triangles.reserve(quads.size() * quadTriangleCorners.size());
    for (const ScreenQuad& quad : quads) {
        const TransformedQuad corners = transformed(quad);
        for (std::size_t corner : quadTriangleCorners) {
            triangles.push_back(corners[corner]);
        }
    }
    setQuadStates(texture, nullptr);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(triangles.size() / 3),
                            triangles.data(), sizeof(TransformedVertex));
    statesBeforeQuad->Apply();
}

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
    endTextBatch();
    if (!writeQuad(buffer->vertices, quad) || !saveStatesBeforeQuad()) {
        return false; // no quad this frame, and no state changed
    }
    setQuadStates(direct3dTexture(texture), buffer->vertices);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    statesBeforeQuad->Apply();
    return true;
}

void releaseQuadBuffer(QuadBufferHandle buffer) {
    releaseVertices(*buffer);
    quadBuffers.erase(std::find(quadBuffers.begin(), quadBuffers.end(), buffer));
    delete buffer;
}

// A state block goes before a reset, like the default pool: it is recorded again at the next
// quad.
void releaseQuadVertexBuffers() {
    releaseIfMade(statesBeforeQuad);
    for (QuadBufferObject* buffer : quadBuffers) {
        releaseVertices(*buffer);
    }
}

void recreateQuadVertexBuffers() {
    for (QuadBufferObject* buffer : quadBuffers) {
        createVertices(*buffer);
    }
}
