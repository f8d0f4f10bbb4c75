// The graphics operations the viewer draws with: scene, clear, present, transforms, light,
// render and texture-stage states, material, textures, vertex buffer, draw, meshes from .x
// files, and text with a font. Each call keeps the meaning of the Direct3D 9 / D3DX 9 call of
// the same name, with the same numeric codes.
//
// Portable: this header includes no platform header. The Windows build implements it over
// IDirect3DDevice9 and D3DX 9 (platform/win32/d3d9_graphics.cpp); the unit tests link a fake
// that records every call and answers from a script. Results are codes: 0 is success.
#pragma once

#include "gfx/matrix.h"
#include "window/main_window.h"

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Handles: opaque pointers to platform objects, null when there is none.

struct Direct3DObject;
struct DeviceObject;
struct FontObject;
struct InputObject;
struct TextureObject;
struct VertexBufferObject;
struct MeshData;

using Direct3DHandle = Direct3DObject*;
using DeviceHandle = DeviceObject*;
using FontHandle = FontObject*;
using InputHandle = InputObject*;
using TextureHandle = TextureObject*;
using VertexBufferHandle = VertexBufferObject*;
using MeshHandle = MeshData*;

using GraphicsResult = std::int32_t; // HRESULT: 0 is success, anything else a failure
constexpr GraphicsResult graphicsOk = 0;
// The device cannot draw now (screen lock, display-mode change, driver reset, ...).
constexpr GraphicsResult deviceLost = static_cast<GraphicsResult>(0x88760868); // D3DERR_DEVICELOST
// The device can be reset and then drawn with again.
constexpr GraphicsResult deviceNotReset =
    static_cast<GraphicsResult>(0x88760869); // D3DERR_DEVICENOTRESET

// ---------------------------------------------------------------------------------------------
// Records, laid out as their Direct3D counterparts.

struct ColorValue {
    float r;
    float g;
    float b;
    float a;

    bool operator==(const ColorValue&) const = default;
};

// D3DMATERIAL9
struct Material {
    ColorValue diffuse;
    ColorValue ambient;
    ColorValue specular;
    ColorValue emissive;
    float power;

    bool operator==(const Material&) const = default;
};

// D3DLIGHT9
struct Light {
    std::uint32_t type;
    ColorValue diffuse;
    ColorValue specular;
    ColorValue ambient;
    Vector position;
    Vector direction;
    float range;
    float falloff;
    float attenuation0;
    float attenuation1;
    float attenuation2;
    float theta;
    float phi;

    bool operator==(const Light&) const = default;
};

// D3DPRESENT_PARAMETERS
struct PresentParameters {
    std::uint32_t backBufferWidth;
    std::uint32_t backBufferHeight;
    std::uint32_t backBufferFormat;
    std::uint32_t backBufferCount;
    std::uint32_t multiSampleType;
    std::uint32_t multiSampleQuality;
    std::uint32_t swapEffect;
    WindowHandle deviceWindow;
    bool windowed;
    bool enableAutoDepthStencil;
    std::uint32_t autoDepthStencilFormat;
    std::uint32_t flags;
    std::uint32_t fullScreenRefreshRateInHz;
    std::uint32_t presentationInterval;

    bool operator==(const PresentParameters&) const = default;
};

// D3DXFONT_DESCA
struct FontDescription {
    std::int32_t height;
    std::uint32_t width;
    std::uint32_t weight;
    std::uint32_t mipLevels;
    bool italic;
    std::uint8_t charSet;
    std::uint8_t outputPrecision;
    std::uint8_t quality;
    std::uint8_t pitchAndFamily;
    std::string faceName;

    bool operator==(const FontDescription&) const = default;
};

// RECT
struct TextRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;

    bool operator==(const TextRect&) const = default;
};

// One entry of a loaded mesh's material list (D3DXMATERIAL): the material as the file gives
// it and the texture file name it stores, empty when it names none.
struct MeshMaterial {
    Material material;
    std::string textureFileName;
};

// ---------------------------------------------------------------------------------------------
// Numeric codes of Direct3D 9 that the viewer passes.

enum DeviceType : std::uint32_t {
    deviceTypeHal = 1, // D3DDEVTYPE_HAL
    deviceTypeRef = 2, // D3DDEVTYPE_REF
};

enum DeviceBehaviour : std::uint32_t {
    softwareVertexProcessing = 0x20, // D3DCREATE_SOFTWARE_VERTEXPROCESSING
    hardwareVertexProcessing = 0x40, // D3DCREATE_HARDWARE_VERTEXPROCESSING
};

enum Format : std::uint32_t {
    formatUnknown = 0, // D3DFMT_UNKNOWN
    formatR5G6B5 = 23, // D3DFMT_R5G6B5
    formatD16 = 80,    // D3DFMT_D16
};

constexpr std::uint32_t swapEffectDiscard = 1;      // D3DSWAPEFFECT_DISCARD
constexpr std::uint32_t presentIntervalOne = 1;     // D3DPRESENT_INTERVAL_ONE
constexpr std::uint32_t defaultAdapter = 0;         // D3DADAPTER_DEFAULT
constexpr std::uint32_t clearTarget = 1;            // D3DCLEAR_TARGET
constexpr std::uint32_t clearZBuffer = 2;           // D3DCLEAR_ZBUFFER
constexpr std::uint32_t lightDirectional = 3;       // D3DLIGHT_DIRECTIONAL
constexpr std::uint32_t meshManaged = 0x220;        // D3DXMESH_MANAGED
constexpr std::uint32_t mesh32BitIndices = 0x001;   // D3DXMESH_32BIT
constexpr std::uint32_t d3dxDefault = 0xFFFFFFFF;   // D3DX_DEFAULT
constexpr std::uint32_t poolDefault = 0;            // D3DPOOL_DEFAULT
constexpr std::uint32_t poolManaged = 1;            // D3DPOOL_MANAGED
constexpr std::uint32_t primitiveTriangleStrip = 5; // D3DPT_TRIANGLESTRIP
constexpr std::uint32_t usageWriteOnly = 0x8;       // D3DUSAGE_WRITEONLY
constexpr std::uint32_t usageDynamic = 0x200;       // D3DUSAGE_DYNAMIC
constexpr std::uint32_t lockDiscard = 0x2000;       // D3DLOCK_DISCARD

enum TransformState : std::uint32_t {
    transformView = 2,       // D3DTS_VIEW
    transformProjection = 3, // D3DTS_PROJECTION
    transformWorld = 256,    // D3DTS_WORLD
};

enum RenderState : std::uint32_t {
    renderStateSrcBlend = 19,         // D3DRS_SRCBLEND
    renderStateDestBlend = 20,        // D3DRS_DESTBLEND
    renderStateAlphaBlendEnable = 27, // D3DRS_ALPHABLENDENABLE
    renderStateSpecularEnable = 29,   // D3DRS_SPECULARENABLE
    renderStateLighting = 137,        // D3DRS_LIGHTING
};

enum Blend : std::uint32_t {
    blendSrcAlpha = 5,    // D3DBLEND_SRCALPHA
    blendInvSrcAlpha = 6, // D3DBLEND_INVSRCALPHA
};

enum TextureStageState : std::uint32_t {
    textureStageColorOp = 1,   // D3DTSS_COLOROP
    textureStageColorArg1 = 2, // D3DTSS_COLORARG1
    textureStageColorArg2 = 3, // D3DTSS_COLORARG2
    textureStageAlphaOp = 4,   // D3DTSS_ALPHAOP
};

constexpr std::uint32_t textureOpModulate = 4; // D3DTOP_MODULATE
constexpr std::uint32_t textureArgDiffuse = 0; // D3DTA_DIFFUSE
constexpr std::uint32_t textureArgTexture = 2; // D3DTA_TEXTURE

// ---------------------------------------------------------------------------------------------
// Start-up: COM, the Direct3D object, the device, the font and the input object.

void initializeCom();
Direct3DHandle createDirect3D(); // Direct3DCreate9(D3D_SDK_VERSION); null on failure
GraphicsResult createDirect3DDevice(Direct3DHandle direct3d, std::uint32_t adapter, DeviceType type,
                                    WindowHandle focusWindow, std::uint32_t behaviourFlags,
                                    PresentParameters& parameters, DeviceHandle& device);
GraphicsResult createFontIndirect(DeviceHandle device, const FontDescription& description,
                                  FontHandle& font);
// DirectInput8Create for this executable's module with IID_IDirectInput8A.
GraphicsResult directInput8Create(std::uint32_t version, InputHandle& input);

// Each drops the caller's reference; a font holds the device, so it goes first.
void releaseInput(InputHandle input);
void releaseFont(FontHandle font);
void releaseDevice(DeviceHandle device);
void releaseDirect3D(Direct3DHandle direct3d);
// Tells the user which part of the graphics could not be made at start-up, with its failure
// code, before the process ends with exit code 1.
void reportGraphicsFailure(const char* part, GraphicsResult result);

// ---------------------------------------------------------------------------------------------
// A lost device: asking whether it can draw, and resetting it. Everything the device holds in
// the default pool must be released before the reset and made again after it.

GraphicsResult testCooperativeLevel(DeviceHandle device);
GraphicsResult resetDevice(DeviceHandle device, const PresentParameters& parameters);
// ID3DXFont::OnLostDevice and OnResetDevice: the font's own device objects.
void fontOnLostDevice(FontHandle font);
GraphicsResult fontOnResetDevice(FontHandle font);

// ---------------------------------------------------------------------------------------------
// Frame and fixed-function state.

GraphicsResult beginScene(DeviceHandle device);
GraphicsResult endScene(DeviceHandle device);
// Clears the whole target (no rectangles) with the given flags, colour, depth and stencil.
GraphicsResult clear(DeviceHandle device, std::uint32_t flags, std::uint32_t color, float depth,
                     std::uint32_t stencil);
// Presents the whole back buffer to the device window.
GraphicsResult present(DeviceHandle device);
GraphicsResult setTransform(DeviceHandle device, TransformState state, const Matrix& matrix);
GraphicsResult setLight(DeviceHandle device, std::uint32_t index, const Light& light);
GraphicsResult lightEnable(DeviceHandle device, std::uint32_t index, bool enable);
GraphicsResult setRenderState(DeviceHandle device, RenderState state, std::uint32_t value);
GraphicsResult setMaterial(DeviceHandle device, const Material& material);
GraphicsResult setTexture(DeviceHandle device, std::uint32_t stage, TextureHandle texture);
GraphicsResult setTextureStageState(DeviceHandle device, std::uint32_t stage,
                                    TextureStageState state, std::uint32_t value);

// ---------------------------------------------------------------------------------------------
// Vertex buffers and primitives.

GraphicsResult createVertexBuffer(DeviceHandle device, std::uint32_t length, std::uint32_t usage,
                                  std::uint32_t fvf, std::uint32_t pool,
                                  VertexBufferHandle& buffer);
GraphicsResult lockVertexBuffer(VertexBufferHandle buffer, std::uint32_t offset, std::uint32_t size,
                                void*& data, std::uint32_t flags);
GraphicsResult unlockVertexBuffer(VertexBufferHandle buffer);
void releaseVertexBuffer(VertexBufferHandle buffer);
GraphicsResult setStreamSource(DeviceHandle device, std::uint32_t stream, VertexBufferHandle buffer,
                               std::uint32_t offset, std::uint32_t stride);
GraphicsResult setFvf(DeviceHandle device, std::uint32_t fvf);
GraphicsResult drawPrimitive(DeviceHandle device, std::uint32_t primitiveType,
                             std::uint32_t startVertex, std::uint32_t primitiveCount);

// ---------------------------------------------------------------------------------------------
// Meshes and textures from files. File names are code page 932 bytes, as the core keeps them.

// D3DXLoadMeshFromX without adjacency or effect instances; the material list comes back as
// records, its buffer already released.
GraphicsResult loadMeshFromX(const char* fileName, std::uint32_t options, DeviceHandle device,
                             MeshHandle& mesh, std::vector<MeshMaterial>& materials);
GraphicsResult drawMeshSubset(MeshHandle mesh, std::uint32_t subset);
void releaseMesh(MeshHandle mesh);

GraphicsResult createTextureFromFile(DeviceHandle device, const char* fileName,
                                     TextureHandle& texture);
// D3DXCreateTextureFromFileEx without image information or palette.
GraphicsResult createTextureFromFileEx(DeviceHandle device, const char* fileName,
                                       std::uint32_t width, std::uint32_t height,
                                       std::uint32_t mipLevels, std::uint32_t usage,
                                       std::uint32_t format, std::uint32_t pool,
                                       std::uint32_t filter, std::uint32_t mipFilter,
                                       std::uint32_t colorKey, TextureHandle& texture);
void releaseTexture(TextureHandle texture);

// ---------------------------------------------------------------------------------------------
// Text: ID3DXFont::DrawText without a sprite, the text in code page 932. Returns the drawn
// height, 0 on failure.

std::int32_t drawFontText(FontHandle font, const char* text, std::int32_t count,
                          const TextRect& rect, std::uint32_t format, std::uint32_t color);
