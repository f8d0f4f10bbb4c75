// OpenGL screen quads: implements createQuadBuffer, drawScreenQuad and releaseQuadBuffer of
// gfx/graphics.h, and the renderer's own blended quads (the texts) through a batch of its own.
// The seam's pixels are OpenGL's window pixels, so the corners go into the buffer as they are;
// quads are drawn with the screen program, without depth test or culling, blended by their
// alpha over the picture.
//
// The texts' quads wait in the batch until the next verb that draws or releases a texture, or
// the frame's end, and then go to OpenGL in one buffer upload and one draw per run of quads
// with the same texture, in the order they came: a frame's texts are a handful of draws
// instead of one per text area. Links libepoxy.

#include "gl_graphics.h"

#include <cstddef>
#include <vector>

struct QuadBufferObject {
    GLuint vertexArray = 0;
    GLuint buffer = 0;
};

namespace {

// Quads waiting to be drawn, as triangles: runs of consecutive quads with the same texture.
struct QuadBatch {
    struct Run {
        const TextureObject* texture;
        GLint first;
        GLsizei count;
    };
    std::vector<ScreenVertex> vertices;
    std::vector<Run> runs;
};

ScreenProgram program;
QuadBufferObject* ownQuads = nullptr;
QuadBatch batch;

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

// The screen program over the picture, blended, without depth test or culling, reading the
// vertices of the buffer.
void setQuadState(const QuadBufferObject& buffer) {
    glBindVertexArray(buffer.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.buffer);
    glUseProgram(program.name);
    glUniform2f(program.pictureSize, static_cast<float>(picture.width),
                static_cast<float>(picture.height));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void bindQuadTexture(const TextureObject* texture) {
    glUniform1i(program.hasTexture, texture != nullptr);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->name : 0);
}

void drawQuad(const QuadBufferObject& buffer, const ScreenQuad& quad,
              const TextureObject* texture) {
    drawQueuedQuads();
    setQuadState(buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(ScreenQuad), quad.data());
    bindQuadTexture(texture);
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
    batch = {};
    if (ownQuads != nullptr) {
        releaseQuadBuffer(ownQuads);
        ownQuads = nullptr;
    }
    glDeleteProgram(program.name);
    program = {};
}

void queuePlatformQuad(const ScreenQuad& quad, const TextureObject* texture) {
    const auto first = static_cast<GLint>(batch.vertices.size());
    for (std::size_t corner : quadTriangleCorners) {
        batch.vertices.push_back(quad[corner]);
    }
    if (batch.runs.empty() || batch.runs.back().texture != texture) {
        batch.runs.push_back({texture, first, 0});
    }
    batch.runs.back().count += static_cast<GLsizei>(quadTriangleCorners.size());
}

// The whole batch in one upload; the buffer's storage is replaced rather than written over, so
// the upload never waits for the draws that read the previous batch.
void drawQueuedQuads() {
    if (batch.runs.empty() || ownQuads == nullptr) {
        return;
    }
    setQuadState(*ownQuads);
    glBufferData(GL_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(batch.vertices.size() * sizeof(ScreenVertex)),
                 batch.vertices.data(), GL_STREAM_DRAW);
    for (const QuadBatch::Run& run : batch.runs) {
        bindQuadTexture(run.texture);
        glDrawArrays(GL_TRIANGLES, run.first, run.count);
    }
    batch.vertices.clear();
    batch.runs.clear();
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
