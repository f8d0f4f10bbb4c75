#include "scene/filter_quad.h"

// The filter overlay is not drawn yet.
FilterQuad::FilterQuad() = default;
bool FilterQuad::loadTexture(const char*, std::uint32_t) {
    return false;
}
void FilterQuad::setColor(std::uint32_t) {}
void FilterQuad::draw(float, float, float, float) {}
void FilterQuad::release() {}
