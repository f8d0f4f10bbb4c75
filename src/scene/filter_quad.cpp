#include "scene/filter_quad.h"

namespace {

constexpr std::uint32_t opaqueWhite = 0xFFFFFFFF;

} // namespace

FilterQuad::FilterQuad() : vertices(screenQuad(0.0f, 0.0f, 0.0f, 0.0f, opaqueWhite)) {
    vertexBuffer = createQuadBuffer();
}

bool FilterQuad::loadTexture(const char* fileName, std::uint32_t colorKey) {
    texture = ::loadTexture(fileName, colorKey);
    return texture != nullptr;
}

void FilterQuad::setColor(std::uint32_t color) {
    for (ScreenVertex& vertex : vertices) {
        vertex.color = color;
    }
}

void FilterQuad::draw(float x, float y, float width, float height) {
    vertices = screenQuad(x, y, width, height, vertices[0].color);
    if (vertexBuffer != nullptr) {
        drawScreenQuad(vertexBuffer, vertices,
                       texture); // a failed write leaves out this frame's filter
    }
}

void FilterQuad::release() {
    if (vertexBuffer != nullptr) {
        releaseQuadBuffer(vertexBuffer);
        vertexBuffer = nullptr;
    }
    if (texture != nullptr) {
        releaseTexture(texture);
        texture = nullptr;
    }
}
