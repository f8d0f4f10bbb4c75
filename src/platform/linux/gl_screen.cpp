// OpenGL screen quads: implements createQuadBuffer, drawScreenQuad and releaseQuadBuffer of
// gfx/graphics.h, and the platform's own blended quads (texts, the capture button) through a
// buffer of its own. A quad is drawn with the screen program, without depth test, blended by
// its alpha over the picture. Links libepoxy.

#include "gl_graphics.h"

#include <cstddef>
#include <cstring>

struct QuadBufferObject {
    GLuint vertexArray = 0;
    GLuint buffer = 0;
};

namespace {

ScreenProgram program;
QuadBufferObject* ownQuads = nullptr;

void setVertexLayout() {
    const auto stride = static_cast<GLsizei>(sizeof(ScreenVertex));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    // An ARGB word is the bytes blue, green, red, alpha in memory.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(ScreenVertex, color)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(ScreenVertex, u)));
}

// Replaces the buffer's contents, as a discarding lock does: the driver may hand over fresh
// memory rather than wait for the last draw from it. False when the memory cannot be had or
// its contents were lost before the draw.
bool writeQuad(const QuadBufferObject& buffer, const ScreenQuad& quad) {
    glBindVertexArray(buffer.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.buffer);
    void* mapped = glMapBufferRange(GL_ARRAY_BUFFER, 0, sizeof(ScreenQuad),
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
    if (mapped == nullptr) {
        return false;
    }
    std::memcpy(mapped, quad.data(), sizeof(ScreenQuad));
    return glUnmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE;
}

bool drawQuad(const QuadBufferObject& buffer, const ScreenQuad& quad,
              const TextureObject* texture) {
    if (!writeQuad(buffer, quad)) {
        return false;
    }
    glUseProgram(program.name);
    glUniform2f(program.pictureSize, static_cast<float>(picture.width),
                static_cast<float>(picture.height));
    glUniform1f(program.pixelOffset, pixelCentreShift);
    glUniform1i(program.hasTexture, texture != nullptr);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->name : 0);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, static_cast<GLsizei>(quad.size()));
    glDisable(GL_BLEND);
    return true;
}

} // namespace

bool setUpScreenDrawing() {
    if (!buildScreenProgram(program)) {
        return false;
    }
    ownQuads = createQuadBuffer();
    return true;
}

void releaseScreenDrawing() {
    if (ownQuads != nullptr) {
        releaseQuadBuffer(ownQuads);
        ownQuads = nullptr;
    }
    glDeleteProgram(program.name);
    program = {};
}

void drawPlatformQuad(const ScreenQuad& quad, const TextureObject* texture) {
    drawQuad(*ownQuads, quad, texture);
}

QuadBufferHandle createQuadBuffer() {
    auto* buffer = new QuadBufferObject;
    glGenVertexArrays(1, &buffer->vertexArray);
    glBindVertexArray(buffer->vertexArray);
    glGenBuffers(1, &buffer->buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer->buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(ScreenQuad), nullptr, GL_DYNAMIC_DRAW);
    setVertexLayout();
    return buffer;
}

bool drawScreenQuad(QuadBufferHandle buffer, const ScreenQuad& quad, TextureHandle texture) {
    return drawQuad(*buffer, quad, texture);
}

void releaseQuadBuffer(QuadBufferHandle buffer) {
    glDeleteBuffers(1, &buffer->buffer);
    glDeleteVertexArrays(1, &buffer->vertexArray);
    delete buffer;
}
