// What the d3d9_* files share: the device and its companions that d3d9_graphics.cpp makes,
// and what the text and screen files keep in the device's default pool, which a lost device
// must give back before it can be reset.
#pragma once

#include "gfx/graphics.h"

#include <d3d9.h>

// Releases a COM object that may not have been made, and forgets it.
template <typename Object> void releaseIfMade(Object*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

// Made by setUpGraphics, null before and after.
extern IDirect3D9* direct3d;
extern IDirect3DDevice9* device;

// d3d9_text.cpp: the text font (D3DX's when it is installed, ours over GDI when not).
HRESULT createTextFont();
void releaseTextFont();
void endTextBatch(); // before the scene ends: the texts of a frame are drawn in one batch
void textFontOnLostDevice();
void textFontOnResetDevice();

// d3d9_screen.cpp: the quad buffers' vertex buffers, which live in the default pool, and the
// state block the quads put their states back with, which also goes before a reset.
void releaseQuadVertexBuffers();
void recreateQuadVertexBuffers();
// Draws the quads, one texture for all, as drawScreenQuad draws one, from memory rather than a
// buffer of their own, in one draw.
void drawTransformedQuads(const std::vector<ScreenQuad>& quads, IDirect3DTexture9* texture);

// d3d9_textures.cpp: a managed A8R8G8B8 texture of one level from rows of ARGB texels, width
// texels each; null when it cannot be made. Texture sizes are powers of two.
IDirect3DTexture9* createTexelTexture(UINT width, UINT height,
                                      const std::vector<std::uint32_t>& texels);
UINT powerOfTwoAtLeast(int size);

// A texture handle is the Direct3D texture itself.
inline IDirect3DTexture9* direct3dTexture(TextureHandle texture) {
    return reinterpret_cast<IDirect3DTexture9*>(texture);
}

inline TextureHandle textureHandle(IDirect3DTexture9* texture) {
    return reinterpret_cast<TextureHandle>(texture);
}
