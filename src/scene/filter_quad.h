// The filter: a translucent, coloured, textured rectangle laid over the picture in screen
// pixels, as four corners drawn as a triangle strip.
#pragma once

#include "gfx/graphics.h"

#include <cstdint>

class FilterQuad {
  public:
    // Sets up the corners (top left, top right, bottom left, bottom right) with their texture
    // coordinates, and makes the buffer they are drawn from; without one the quad draws nothing.
    FilterQuad();
    // Loads the image as the quad's texture. False, and no texture, when it cannot be loaded.
    bool loadTexture(const char* fileName, std::uint32_t colorKey);
    // Takes effect at the next draw.
    void setColor(std::uint32_t color);
    // Blends the quad over the picture: texel colour times the vertex colour, with the
    // vertex alpha as opacity. Only alpha blending is switched off again afterwards.
    void draw(float x, float y, float width, float height);
    void release();

    QuadBufferHandle vertexBuffer = nullptr;
    TextureHandle texture = nullptr;
    ScreenQuad vertices;
};
