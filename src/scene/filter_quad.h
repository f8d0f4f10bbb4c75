// The filter: a translucent, coloured, textured rectangle laid over the picture in screen
// pixels, as four pre-transformed vertices drawn as a triangle strip.
#pragma once

#include "gfx/graphics.h"

#include <array>
#include <cstddef>
#include <cstdint>

// One corner in the device's pre-transformed, coloured, single-texture vertex layout.
struct FilterVertex {
    float x;             // screen pixels
    float y;             // screen pixels, downward
    float z;             // always 0: in front of everything drawn before
    float rhw;           // always 1
    std::uint32_t color; // ARGB
    float u;
    float v;
};

static_assert(sizeof(FilterVertex) == 28);
static_assert(offsetof(FilterVertex, rhw) == 12);
static_assert(offsetof(FilterVertex, color) == 16);
static_assert(offsetof(FilterVertex, u) == 20);
static_assert(offsetof(FilterVertex, v) == 24);

// D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1
constexpr std::uint32_t filterVertexFormat = 0x144;

class FilterQuad {
  public:
    // Sets up the corners (top left, top right, bottom left, bottom right) with their texture
    // coordinates, and makes the device's vertex buffer; without one the quad draws nothing.
    FilterQuad();
    // Loads the image as the quad's texture. False, and no texture, when it cannot be loaded.
    bool loadTexture(const char* fileName, std::uint32_t colorKey);
    // Takes effect at the next draw.
    void setColor(std::uint32_t color);
    // Blends the quad over the picture: texel colour times the vertex colour, with the
    // vertex alpha as opacity. Only alpha blending is switched off again afterwards.
    void draw(float x, float y, float width, float height);
    // The vertex buffer lives in the device's default pool: it goes before a device reset
    // and is made again after it. The texture is managed and stays.
    void onLostDevice();
    void onResetDevice();
    void release();

    VertexBufferHandle vertexBuffer = nullptr;
    TextureHandle texture = nullptr;
    std::array<FilterVertex, 4> vertices;
};
