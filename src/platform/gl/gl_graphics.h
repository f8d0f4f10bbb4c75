// What the gl_*.cpp files share: the picture's size, the scene the meshes are lit and seen by,
// textures, and the drawing helpers that lie below their users (quads in gl_screen.cpp, texts
// in gl_text.cpp).
//
// The picture is drawn straight into the window's back buffer: 8 bits per colour channel and a
// depth buffer of at least 16 bits (the window system may give more). The Windows build asks
// Direct3D for a 16-bit R5G6B5 back buffer; Mesa's software renderer truncates rather than
// rounds into that format, and the Windows build under Wine shows 8-bit channels, so 8 bits it
// is here too. The back buffer's contents are gone after the swap, so the frame's end keeps
// the area it is told (the filter's) for a capture first (gl_screen_grab.cpp).
#pragma once

#include "gfx/graphics.h"
#include "gl_shaders.h"

#include <epoxy/gl.h>

#include <cstdint>

struct TextureObject {
    GLuint name = 0;
};

// The picture's size in pixels (gl_graphics.cpp).
struct Picture {
    int width = 0, height = 0;
};

// What drawMesh reads: the lit program and the light and camera as the core last set them
// (gl_graphics.cpp).
struct LitScene {
    LitProgram program;
    DirectionalLight light{};
    Matrix view{};
    Matrix projection{};
};

extern Picture picture;
extern LitScene litScene;

// Half a pixel, less 1/128, for the meshes: Direct3D 9 samples pixel centres at integer
// coordinates, OpenGL at half-integers. Shifting the meshes by a little under half a pixel
// gives the Direct3D picture while an edge on an integer coordinate never falls exactly on a
// sample, so coverage does not hang on the rasteriser's tie-breaking rule. Screen quads need no
// shift: their pixels are OpenGL's own.
constexpr float pixelCentreShift = 0.5f - 1.0f / 128.0f;

// gl_screen_grab.cpp: reads the area from the picture about to be presented, for a capture
// before the next frame.
void keepCaptureArea(const ClientArea& area);

// gl_textures.cpp: a texture from ARGB words, top row first, scaled down to fit when it is
// larger than the renderer's largest texture; null when the renderer cannot make it.
TextureObject* createTextureFromTexels(const std::uint32_t* argb, int width, int height);

// gl_screen.cpp: the screen program and the platform's own quad buffer for the picture; false
// when the program does not build.
bool setUpScreenDrawing();
void releaseScreenDrawing();
// Queues the quad to be blended over the picture as drawScreenQuad does, after the quads queued
// before it; drawQueuedQuads draws the queue. Every verb that draws, or releases a texture a
// queued quad may read, draws the queue first, and so does the frame's end, so that the picture
// shows the quads in the order of the calls.
void queuePlatformQuad(const ScreenQuad& quad, const TextureObject* texture);
void drawQueuedQuads();

// gl_text.cpp: the text font (false, with the reason noted as the start-up failure, when no
// installed face shows the texts) and the captions' font, each with its texts' textures.
bool openTextFont();
void closeTextFont();
