#include "scene/filter_quad.h"

#include "gfx/graphics_setup.h"

#include <cstring>

namespace {

constexpr std::uint32_t verticesSize = sizeof(FilterVertex) * 4;
constexpr std::uint32_t noUsage = 0;
// Rewritten whole in every frame: a dynamic buffer locked with discard lets the driver hand
// over fresh memory instead of waiting for the previous frame's draw to finish with it.
constexpr std::uint32_t vertexBufferUsage = usageDynamic | usageWriteOnly;
constexpr std::uint32_t textureStage = 0;
constexpr std::uint32_t stream = 0;
constexpr std::uint32_t opaqueWhite = 0xFFFFFFFF;
constexpr std::uint32_t trianglesInQuad = 2;

void setTextureAndBlendStates(TextureHandle texture) {
    setTextureStageState(device, textureStage, textureStageAlphaOp, textureOpModulate);
    setTextureStageState(device, textureStage, textureStageColorArg1, textureArgTexture);
    setTextureStageState(device, textureStage, textureStageColorArg2, textureArgDiffuse);
    setRenderState(device, renderStateAlphaBlendEnable, 1);
    setRenderState(device, renderStateSrcBlend, blendSrcAlpha);
    setRenderState(device, renderStateDestBlend, blendInvSrcAlpha);
    setTexture(device, textureStage, texture);
}

} // namespace

FilterQuad::FilterQuad()
    : vertices{{
          {0.0f, 0.0f, 0.0f, 1.0f, opaqueWhite, 0.0f, 0.0f},
          {0.0f, 0.0f, 0.0f, 1.0f, opaqueWhite, 1.0f, 0.0f},
          {0.0f, 0.0f, 0.0f, 1.0f, opaqueWhite, 0.0f, 1.0f},
          {0.0f, 0.0f, 0.0f, 1.0f, opaqueWhite, 1.0f, 1.0f},
      }} {
    onResetDevice();
}

void FilterQuad::onLostDevice() {
    if (vertexBuffer != nullptr) {
        releaseVertexBuffer(vertexBuffer);
        vertexBuffer = nullptr;
    }
}

void FilterQuad::onResetDevice() {
    if (createVertexBuffer(device, verticesSize, vertexBufferUsage, filterVertexFormat, poolDefault,
                           vertexBuffer) != graphicsOk) {
        vertexBuffer = nullptr;
    }
}

bool FilterQuad::loadTexture(const char* fileName, std::uint32_t colorKey) {
    if (createTextureFromFileEx(device, fileName, d3dxDefault, d3dxDefault, d3dxDefault, noUsage,
                                formatUnknown, poolManaged, d3dxDefault, d3dxDefault, colorKey,
                                texture) != graphicsOk) {
        texture = nullptr;
        return false;
    }
    return true;
}

void FilterQuad::setColor(std::uint32_t color) {
    for (FilterVertex& vertex : vertices) {
        vertex.color = color;
    }
}

void FilterQuad::draw(float x, float y, float width, float height) {
    vertices[0].x = x;
    vertices[0].y = y;
    vertices[1].x = x + width;
    vertices[1].y = y;
    vertices[2].x = x;
    vertices[2].y = y + height;
    vertices[3].x = x + width;
    vertices[3].y = y + height;

    if (vertexBuffer == nullptr) {
        return;
    }
    void* locked = nullptr;
    if (lockVertexBuffer(vertexBuffer, 0, verticesSize, locked, lockDiscard) != graphicsOk) {
        return; // no filter this frame, and no state changed
    }
    std::memcpy(locked, vertices.data(), verticesSize);
    unlockVertexBuffer(vertexBuffer);

    setTextureAndBlendStates(texture);
    setStreamSource(device, stream, vertexBuffer, 0, sizeof(FilterVertex));
    setFvf(device, filterVertexFormat);
    drawPrimitive(device, primitiveTriangleStrip, 0, trianglesInQuad);
    setRenderState(device, renderStateAlphaBlendEnable, 0);
}

void FilterQuad::release() {
    onLostDevice();
    if (texture != nullptr) {
        releaseTexture(texture);
        texture = nullptr;
    }
}
