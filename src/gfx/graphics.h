// The graphics the viewer draws with, in its own words. The core says what to draw; each
// renderer says how: src/platform/d3d9/ over Direct3D 9 (with D3DX 9 when it is installed,
// our own mesh, texture and text code when not), src/platform/gl/ over OpenGL. Each verb
// sets all the state it relies on, or puts back what it changed, so what it draws does not
// hang on which verbs came before it; each platform keeps its API's conventions (Direct3D's
// pixel centres, OpenGL's depth range) to itself. All calls come from the
// program's one thread.
//
//   setUpGraphics / releaseGraphics    the device for the window, the text font, the input object
//   beginFrame / endFrame              one picture: opened and cleared, then closed and presented
//                                      with the area a capture may read
//   restoreGraphics                    after a lost device: true once it draws again
//   setLight                           the one directional light of the scene
//   setViewMatrix / setProjectionMatrix the camera, for the meshes drawn after it
//   loadMesh / drawMesh / releaseMesh  a .x mesh drawn subset by subset, one material each
//   loadTexture / releaseTexture       an image file as a texture
//   createQuadBuffer / drawScreenQuad / releaseQuadBuffer  a blended quad in screen pixels
//   drawScreenText                     a text in the text font, in screen pixels
//   drawScreenCaption                  a window control's caption, for a window system that
//                                      draws its controls into the picture
//
// A failed draw is simply missing from its frame; only what the callers test returns a result.
#pragma once

#include "gfx/matrix.h"
#include "window/main_window.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Records

struct ColorValue {
    float r;
    float g;
    float b;
    float a;

    bool operator==(const ColorValue&) const = default;
};

// How a surface answers the light: four colours and the sharpness of its highlight.
struct Material {
    ColorValue diffuse;
    ColorValue ambient;
    ColorValue specular;
    ColorValue emissive;
    float power;

    bool operator==(const Material&) const = default;
};

// One entry of a loaded mesh's material list: the material as the file gives it and the
// texture file name it stores, empty when it names none.
struct MeshMaterial {
    Material material;
    std::string textureFileName;
};

// A light from one direction (not normalised) everywhere in the scene. Its ambient colour is
// all the ambient light the meshes get.
struct DirectionalLight {
    ColorValue diffuse;
    ColorValue specular;
    ColorValue ambient;
    Vector direction;
};

// A corner of a quad in screen pixels, y downward, whole numbers on the edges between pixels
// (the quad over the rectangle (x, y, width, height) covers exactly its pixels), with its ARGB
// colour and texture coordinate. Each platform turns it into what its API draws.
struct ScreenVertex {
    float x;
    float y;
    std::uint32_t color;
    float u;
    float v;
};

// Four corners in strip order: top left, top right, bottom left, bottom right.
using ScreenQuad = std::array<ScreenVertex, 4>;

// The corners of a quad's two triangles, in which many quads go into one triangle list.
constexpr std::array<std::size_t, 6> quadTriangleCorners = {0, 1, 2, 2, 1, 3};

// The quad over the rectangle in the colour, its texture stretched from (0, 0) to (right,
// bottom).
inline ScreenQuad screenQuad(float x, float y, float width, float height, std::uint32_t color,
                             float right = 1.0f, float bottom = 1.0f) {
    return {{{x, y, color, 0.0f, 0.0f},
             {x + width, y, color, right, 0.0f},
             {x, y + height, color, 0.0f, bottom},
             {x + width, y + height, color, right, bottom}}};
}

// ---------------------------------------------------------------------------------------------
// Handles: the platform's own objects, null when there is none.

struct MeshData;
struct TextureObject;
struct QuadBufferObject;

using MeshHandle = MeshData*;
using TextureHandle = TextureObject*;
using QuadBufferHandle = QuadBufferObject*;

// ---------------------------------------------------------------------------------------------
// The device

// Makes the device for the window with a back buffer of the given size, presented once per
// display refresh, then the text font (14 pixels, chosen by the Japanese character set), then
// the input object, stopping at the first that cannot be made. False when one failed, after
// telling the user in one line which; what was made before it stays until releaseGraphics.
bool setUpGraphics(WindowHandle window, int width, int height);

// Releases whatever setUpGraphics made.
void releaseGraphics();

// Opens the frame and clears the picture to the colour (ARGB) and the depth to the farthest.
void beginFrame(std::uint32_t clearColor);

// Closes the frame and presents it, keeping what a capture of captureArea (the filter's area)
// reads until the next frame: the native build copies those pixels before the picture is
// gone. False when the device was lost: nothing draws until restoreGraphics says it is back.
bool endFrame(const ClientArea& captureArea);

// True once a lost device can draw again; what the device lost with it is then made again.
bool restoreGraphics();

// ---------------------------------------------------------------------------------------------
// Scene

// Lights the meshes drawn after it, specular highlights included.
void setLight(const DirectionalLight& light);

// The camera for the meshes drawn after these calls; both start as identity.
void setViewMatrix(const Matrix& view);
void setProjectionMatrix(const Matrix& projection);

// Loads a .x file (name in code page 932, as the core keeps it) into one mesh whose subset i
// is drawn with material i. False, with no mesh and no materials, when it cannot be loaded.
bool loadMesh(const char* fileName, MeshHandle& mesh, std::vector<MeshMaterial>& materials);

// Draws the mesh moved by the world matrix: subset i with materials[i] and textures[i] (null
// for none), in ascending order, lit by the light and seen by the camera. A null mesh draws
// nothing.
void drawMesh(MeshHandle mesh, const Matrix& world, const std::vector<Material>& materials,
              const std::vector<TextureHandle>& textures);

void releaseMesh(MeshHandle mesh);

// An image file as a texture; texels of the colour key (ARGB, 0 for none) become transparent
// black. Null when it cannot be loaded.
TextureHandle loadTexture(const char* fileName, std::uint32_t colorKey);

void releaseTexture(TextureHandle texture);

// ---------------------------------------------------------------------------------------------
// Screen pixels: drawn over the picture, not moved by the camera

// A buffer that one quad is written into each time it is drawn; null when it cannot be made.
QuadBufferHandle createQuadBuffer();

// Writes the quad into the buffer and blends it over the picture: texel colour times vertex
// colour, with texel alpha times vertex alpha as opacity (the vertex colour alone without a
// texture). False, with nothing drawn, when the buffer cannot be written.
bool drawScreenQuad(QuadBufferHandle buffer, const ScreenQuad& quad, TextureHandle texture);

void releaseQuadBuffer(QuadBufferHandle buffer);

// Draws the code page 932 text in the text font with its top-left corner at (x, y), in the
// colour (ARGB), left-aligned, each line feed starting a new line, tabs expanded, unclipped.
void drawScreenText(int x, int y, const char* text, std::uint32_t color);

// Draws the code page 932 caption centred in the rectangle, in the text font's face at the
// character height (the em, as a window control's caption is sized), in the colour (ARGB).
// Only a window system that draws its own controls into the picture calls it (the SDL one, in
// drawWindowControls); the Direct3D renderer does not provide it, since its window system's
// controls are child windows. A caption whose face cannot be opened is missing.
void drawScreenCaption(const ClientArea& rectangle, int characterHeight, const char* caption,
                       std::uint32_t color);
