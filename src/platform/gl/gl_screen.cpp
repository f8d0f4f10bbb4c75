// OpenGL screen quads: implements createQuadBuffer, drawScreenQuad and releaseQuadBuffer of
// gfx/graphics.h, and the renderer's own blended quads (the texts) through a buffer of its own.
// The seam's pixels are OpenGL's window pixels, so the corners go into the buffer as they are;
// a quad is drawn with the screen program, without depth test or culling, blended by its alpha
// over the picture. Links libepoxy.

#include "gl_graphics.h"

#include <cstddef>

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
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    // An ARGB word is the bytes blue, green, red, alpha in memory.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(ScreenVertex, color)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(ScreenVertex, u)));
}

void drawQuad(const QuadBufferObject& buffer, const ScreenQuad& quad,
              const TextureObject* texture) {
    glBindVertexArray(buffer.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(ScreenQuad), quad.data());
    glUseProgram(program.name);
    glUniform2f(program.pictureSize, static_cast<float>(picture.width),
                static_cast<float>(picture.height));
    glUniform1i(program.hasTexture, texture != nullptr);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->name : 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, static_cast<GLsizei>(quad.size()));
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
    drawQuad(*buffer, quad, texture);
    return true;
}

void releaseQuadBuffer(QuadBufferHandle buffer) {
    glDeleteBuffers(1, &buffer->buffer);
    glDeleteVertexArrays(1, &buffer->vertexArray);
    delete buffer;
}
