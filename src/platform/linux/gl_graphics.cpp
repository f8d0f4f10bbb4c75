// OpenGL graphics: implements the frame, fixed-function state, vertex buffer and primitive
// operations of gfx/graphics.h with their Direct3D 9 meaning. Paired with gl_device_setup.cpp,
// which makes the context and the programs; gl_meshes.cpp, gl_textures.cpp and ft_font.cpp
// hold meshes, textures and text. Links SDL2 and libepoxy.

#include "gfx/graphics.h"

#include "gl_device.h"
#include "linux_platform.h"

#include <SDL.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr GraphicsResult invalidCall =
    static_cast<GraphicsResult>(0x8876086C);          // D3DERR_INVALIDCALL
constexpr std::uint32_t pretransformedFormat = 0x144; // D3DFVF_XYZRHW | DIFFUSE | TEX1
constexpr std::uint32_t blendZero = 1;
constexpr std::uint32_t blendOne = 2;
constexpr int defaultRefreshRate = 60;

DeviceObject& deviceOf(DeviceHandle device) {
    return *device;
}

GLenum blendFactor(std::uint32_t d3dBlend) {
    switch (d3dBlend) {
    case blendZero:
        return GL_ZERO;
    case blendOne:
        return GL_ONE;
    case blendSrcAlpha:
        return GL_SRC_ALPHA;
    case blendInvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    default:
        return GL_ONE;
    }
}

void setColorFromArgb(float rgba[4], std::uint32_t argb) {
    rgba[0] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    rgba[1] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    rgba[2] = static_cast<float>(argb & 0xFF) / 255.0f;
    rgba[3] = static_cast<float>((argb >> 24) & 0xFF) / 255.0f;
}

void bindScreenVertexLayout(GLuint buffer, std::uintptr_t offset, GLsizei stride) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
    glEnableVertexAttribArray(1);
    // A D3DCOLOR is the bytes blue, green, red, alpha in memory.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offset + offsetof(ScreenVertex, color)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offset + offsetof(ScreenVertex, u)));
}

void useScreenProgram(const DeviceObject& device, const TextureObject* texture) {
    glUseProgram(device.screen.name);
    glUniform2f(device.screen.pictureSize, static_cast<float>(device.width),
                static_cast<float>(device.height));
    glUniform1f(device.screen.pixelOffset, pixelCentreShift);
    glUniform1i(device.screen.hasTexture, texture != nullptr);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->name : 0);
}

void countFrame(DeviceObject& device) {
    const std::uint64_t now = SDL_GetPerformanceCounter();
    ++device.framesThisSecond;
    if (device.secondStarted == 0) {
        device.secondStarted = now;
    } else if (now - device.secondStarted >= SDL_GetPerformanceFrequency()) {
        const double seconds = static_cast<double>(now - device.secondStarted) /
                               static_cast<double>(SDL_GetPerformanceFrequency());
        std::fprintf(stderr, "approx %.2ffps\n", device.framesThisSecond / seconds);
        device.secondStarted = now;
        device.framesThisSecond = 0;
    }
}

// The display's refresh rate, or 60 Hz where the display does not say (a virtual one).
int refreshRate(SDL_Window* window) {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
        return mode.refresh_rate;
    }
    return defaultRefreshRate;
}

// Sleeps until the next retrace's slot when the swap did not wait for it (a virtual display,
// software rendering), so that the per-frame steps of held keys run at the display's speed, as
// the Windows build's present paces them. After a swap that did wait, the slot is already due.
void paceFrame(DeviceObject& device) {
    const std::uint64_t frequency = SDL_GetPerformanceFrequency();
    const std::uint64_t interval =
        frequency / static_cast<std::uint64_t>(refreshRate(device.window));
    const std::uint64_t now = SDL_GetPerformanceCounter();
    if (device.nextFrameDue > now) {
        // Rounded up to whole milliseconds: a frame may come up to one late, never early.
        SDL_Delay(
            static_cast<Uint32>(((device.nextFrameDue - now) * 1000 + frequency - 1) / frequency));
    }
    const std::uint64_t presented = SDL_GetPerformanceCounter();
    // A frame that came late starts a new schedule instead of hurrying to catch up.
    device.nextFrameDue = device.nextFrameDue + interval > presented
                              ? device.nextFrameDue + interval
                              : presented + interval;
}

} // namespace

void applyBlendState(const DeviceObject& device) {
    if (device.alphaBlendEnable) {
        glEnable(GL_BLEND);
        glBlendFunc(blendFactor(device.sourceBlend), blendFactor(device.destinationBlend));
    } else {
        glDisable(GL_BLEND);
    }
}

void drawScreenStrip(DeviceObject& device, const ScreenVertex* vertices, int count,
                     const TextureObject* texture) {
    glBindVertexArray(device.screenVertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, device.scratchBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(ScreenVertex) * count), vertices,
                 GL_STREAM_DRAW);
    bindScreenVertexLayout(device.scratchBuffer, 0, sizeof(ScreenVertex));
    useScreenProgram(device, texture);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, count);
}

// ---------------------------------------------------------------------------------------------
// Frame and fixed-function state

GraphicsResult beginScene(DeviceHandle device) {
    glBindFramebuffer(GL_FRAMEBUFFER, deviceOf(device).frameBuffer);
    glViewport(0, 0, device->width, device->height);
    return graphicsOk;
}

GraphicsResult endScene(DeviceHandle) {
    return graphicsOk;
}

GraphicsResult clear(DeviceHandle device, std::uint32_t flags, std::uint32_t color, float depth,
                     std::uint32_t) {
    glBindFramebuffer(GL_FRAMEBUFFER, deviceOf(device).frameBuffer);
    GLbitfield mask = 0;
    if ((flags & clearTarget) != 0) {
        float rgba[4];
        setColorFromArgb(rgba, color);
        glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & clearZBuffer) != 0) {
        glClearDepth(depth);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    glClear(mask);
    return graphicsOk;
}

// The frame buffer keeps the presented picture until the next clear, for the capture.
GraphicsResult present(DeviceHandle device) {
    DeviceObject& d = deviceOf(device);
    glBindFramebuffer(GL_FRAMEBUFFER, d.frameBuffer);
    drawCaptureButton();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, d.frameBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, d.width, d.height, 0, 0, d.width, d.height, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    SDL_GL_SwapWindow(d.window);
    glBindFramebuffer(GL_FRAMEBUFFER, d.frameBuffer);
    if (d.unpaced) {
        countFrame(d);
    } else {
        paceFrame(d);
    }
    return graphicsOk;
}

GraphicsResult setTransform(DeviceHandle device, TransformState state, const Matrix& matrix) {
    DeviceObject& d = deviceOf(device);
    switch (state) {
    case transformWorld:
        d.world = matrix;
        return graphicsOk;
    case transformView:
        d.view = matrix;
        return graphicsOk;
    case transformProjection:
        d.projection = matrix;
        return graphicsOk;
    }
    return invalidCall;
}

// Only the one light the viewer uses is kept; its index does not matter to the drawing.
GraphicsResult setLight(DeviceHandle device, std::uint32_t, const Light& light) {
    deviceOf(device).light = light;
    return graphicsOk;
}

GraphicsResult lightEnable(DeviceHandle device, std::uint32_t, bool enable) {
    deviceOf(device).lightEnabled = enable;
    return graphicsOk;
}

GraphicsResult setRenderState(DeviceHandle device, RenderState state, std::uint32_t value) {
    DeviceObject& d = deviceOf(device);
    switch (state) {
    case renderStateSrcBlend:
        d.sourceBlend = value;
        break;
    case renderStateDestBlend:
        d.destinationBlend = value;
        break;
    case renderStateAlphaBlendEnable:
        d.alphaBlendEnable = value != 0;
        break;
    case renderStateSpecularEnable:
        d.specularEnable = value != 0;
        break;
    case renderStateLighting:
        d.lighting = value != 0;
        break;
    }
    return graphicsOk;
}

GraphicsResult setMaterial(DeviceHandle device, const Material& material) {
    deviceOf(device).material = material;
    return graphicsOk;
}

GraphicsResult setTexture(DeviceHandle device, std::uint32_t stage, TextureHandle texture) {
    if (stage != 0) {
        return invalidCall;
    }
    deviceOf(device).texture = texture;
    return graphicsOk;
}

// Stage 0 always modulates the texture with the diffuse colour, which is what the viewer sets
// (and what Direct3D's defaults give for the states it leaves alone).
GraphicsResult setTextureStageState(DeviceHandle, std::uint32_t, TextureStageState, std::uint32_t) {
    return graphicsOk;
}

// ---------------------------------------------------------------------------------------------
// Vertex buffers and primitives

GraphicsResult createVertexBuffer(DeviceHandle, std::uint32_t length, std::uint32_t, std::uint32_t,
                                  std::uint32_t, VertexBufferHandle& buffer) {
    buffer = new VertexBufferObject;
    buffer->bytes.assign(length, 0);
    glGenBuffers(1, &buffer->name);
    glBindBuffer(GL_ARRAY_BUFFER, buffer->name);
    glBufferData(GL_ARRAY_BUFFER, length, nullptr, GL_DYNAMIC_DRAW);
    return graphicsOk;
}

GraphicsResult lockVertexBuffer(VertexBufferHandle buffer, std::uint32_t offset, std::uint32_t size,
                                void*& data, std::uint32_t) {
    data = nullptr;
    if (buffer == nullptr || offset > buffer->bytes.size() ||
        size > buffer->bytes.size() - offset) {
        return invalidCall;
    }
    data = buffer->bytes.data() + offset;
    return graphicsOk;
}

GraphicsResult unlockVertexBuffer(VertexBufferHandle buffer) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer->name);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(buffer->bytes.size()),
                    buffer->bytes.data());
    return graphicsOk;
}

void releaseVertexBuffer(VertexBufferHandle buffer) {
    glDeleteBuffers(1, &buffer->name);
    delete buffer;
}

GraphicsResult setStreamSource(DeviceHandle device, std::uint32_t stream, VertexBufferHandle buffer,
                               std::uint32_t offset, std::uint32_t stride) {
    if (stream != 0) {
        return invalidCall;
    }
    DeviceObject& d = deviceOf(device);
    d.stream = buffer;
    d.streamOffset = offset;
    d.streamStride = stride;
    return graphicsOk;
}

GraphicsResult setFvf(DeviceHandle device, std::uint32_t fvf) {
    deviceOf(device).fvf = fvf;
    return graphicsOk;
}

// Pre-transformed triangle strips are the only primitives the viewer draws from a buffer.
GraphicsResult drawPrimitive(DeviceHandle device, std::uint32_t primitiveType,
                             std::uint32_t startVertex, std::uint32_t primitiveCount) {
    DeviceObject& d = deviceOf(device);
    if (primitiveType != primitiveTriangleStrip || d.fvf != pretransformedFormat ||
        d.stream == nullptr || d.streamStride != sizeof(ScreenVertex)) {
        return invalidCall;
    }
    glBindVertexArray(d.screenVertexArray);
    bindScreenVertexLayout(d.stream->name, d.streamOffset, static_cast<GLsizei>(d.streamStride));
    useScreenProgram(d, d.texture);
    applyBlendState(d);
    glDrawArrays(GL_TRIANGLE_STRIP, static_cast<GLint>(startVertex),
                 static_cast<GLsizei>(primitiveCount + 2));
    return graphicsOk;
}
