// The filter: a translucent, coloured, textured rectangle laid over the picture in screen
// pixels.
#pragma once

#include <cstdint>

class FilterQuad {
  public:
    FilterQuad();
    bool loadTexture(const char* fileName, std::uint32_t colorKey);
    void setColor(std::uint32_t color);
    void draw(float x, float y, float width, float height);
    void release();
};
