// The OpenGL stand-ins behind the graphics seam's opaque handles, shared by the gl_*.cpp files:
// the device (context, the frame buffer the picture is drawn into, the two shader programs and
// the fixed-function state the core sets), textures, vertex buffers and meshes.
//
// The picture is drawn into an off-screen frame buffer (8 bits per colour channel and a 16-bit
// depth buffer) and copied to the window on present. The Windows build asks Direct3D for a
// 16-bit R5G6B5 back buffer; Mesa's software renderer truncates rather than rounds into that
// format, and the Windows build under Wine shows 8-bit channels, so 8 bits it is here too. That
// frame buffer then holds the last presented frame until the next clear, which is what a capture
// reads.
#pragma once

#include "gfx/graphics.h"
#include "gl_shaders.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

struct SDL_Window;

struct TextureObject {
    GLuint name = 0;
    int width = 0;
    int height = 0;
};

struct VertexBufferObject {
    std::vector<std::uint8_t> bytes; // what lock hands out; uploaded on unlock
    GLuint name = 0;
};

// A mesh's triangles sorted by attribute, so that subset i is one range of the index buffer.
struct MeshData {
    struct IndexRange {
        GLsizei first = 0;
        GLsizei count = 0;
    };
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint colourBuffer = 0; // 0 when the file gave no vertex colours
    std::vector<IndexRange> subsets;
};

struct DeviceObject {
    SDL_Window* window = nullptr;
    void* context = nullptr; // SDL_GLContext
    int width = 0;
    int height = 0;
    GLuint frameBuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    LitProgram lit;
    ScreenProgram screen;
    GLuint screenVertexArray = 0;
    GLuint scratchBuffer = 0;       // vertices the platform draws itself (text, button)
    std::uint64_t nextFrameDue = 0; // performance counter ticks
    // For benchmarks (VIEWER_UNPACED=1): no frame pacing, and the frame rate of every second
    // on standard error, as Wine's fps channel reports it for the Windows build.
    bool unpaced = false;
    std::uint64_t secondStarted = 0;
    int framesThisSecond = 0;

    // Fixed-function state as the core last set it; Direct3D's defaults until then.
    Matrix world{};
    Matrix view{};
    Matrix projection{};
    Light light{};
    bool lightEnabled = false;
    Material material{};
    bool lighting = true;
    bool specularEnable = false;
    bool alphaBlendEnable = false;
    std::uint32_t sourceBlend = 2;      // D3DBLEND_ONE
    std::uint32_t destinationBlend = 1; // D3DBLEND_ZERO
    TextureObject* texture = nullptr;
    VertexBufferObject* stream = nullptr;
    std::uint32_t streamOffset = 0;
    std::uint32_t streamStride = 0;
    std::uint32_t fvf = 0;
};

// The one device the viewer makes; drawing calls that take no device use it.
extern DeviceObject* currentDevice;

// A pre-transformed vertex as the screen program reads it: D3DFVF_XYZRHW | D3DFVF_DIFFUSE |
// D3DFVF_TEX1, 28 bytes.
struct ScreenVertex {
    float x, y, z, rhw;
    std::uint32_t color; // ARGB
    float u, v;
};

// Half a pixel, less 1/128: Direct3D 9 samples pixel centres at integer coordinates, OpenGL at
// half-integers. Shifting everything by a little under half a pixel gives the Direct3D picture
// while an edge on an integer coordinate never falls exactly on a sample, so coverage does
// not hang on the rasteriser's tie-breaking rule.
constexpr float pixelCentreShift = 0.5f - 1.0f / 128.0f;

// Draws a triangle strip of pre-transformed vertices with the texture (or none) under the
// OpenGL blend and depth state the caller has set.
void drawScreenStrip(DeviceObject& device, const ScreenVertex* vertices, int count,
                     const TextureObject* texture);

// Applies the core's alpha blend state to OpenGL.
void applyBlendState(const DeviceObject& device);

// Makes the shader programs; false when one does not compile or link.
bool createPrograms(DeviceObject& device);

// A texture from RGBA pixels, top row first, scaled down to fit when it is larger than the
// renderer's largest texture; null when the renderer cannot make it.
TextureObject* createTextureFromPixels(const std::uint8_t* rgba, int width, int height);
