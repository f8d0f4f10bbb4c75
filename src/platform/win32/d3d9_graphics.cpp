// Direct3D 9 graphics: implements the drawing operations of gfx/graphics.h over
// IDirect3DDevice9, and meshes, textures from files and text through the helper table
// (graphics_helpers.h: D3DX 9 when it is installed, our own code when not). Paired with
// d3d9_device_setup.cpp, which makes the device. Each device-level handle is the COM pointer
// itself; the portable records are laid out as their Direct3D counterparts and are copied
// across as they are. File names and texts stay in code page 932 here; the helpers convert
// them for the W calls. Also waits for the frames handed to the device (finish_frames.h).
// Links d3d9; uses D3DX's headers only for its codes.

#include "gfx/graphics.h"
#include "gfx/graphics_setup.h"
#include "platform/win32/finish_frames.h"

#include "platform/win32/graphics_helpers.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <cstddef>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// The portable codes and records must match the platform's.

constexpr bool sameCode(std::uint32_t ours, std::uint32_t platforms) {
    return ours == platforms;
}

static_assert(sameCode(transformWorld, D3DTS_WORLD) && sameCode(transformView, D3DTS_VIEW) &&
              sameCode(transformProjection, D3DTS_PROJECTION));
static_assert(sameCode(renderStateSrcBlend, D3DRS_SRCBLEND) &&
              sameCode(renderStateDestBlend, D3DRS_DESTBLEND) &&
              sameCode(renderStateAlphaBlendEnable, D3DRS_ALPHABLENDENABLE) &&
              sameCode(renderStateSpecularEnable, D3DRS_SPECULARENABLE) &&
              sameCode(renderStateLighting, D3DRS_LIGHTING));
static_assert(sameCode(blendSrcAlpha, D3DBLEND_SRCALPHA) &&
              sameCode(blendInvSrcAlpha, D3DBLEND_INVSRCALPHA));
static_assert(sameCode(textureStageColorOp, D3DTSS_COLOROP) &&
              sameCode(textureStageColorArg1, D3DTSS_COLORARG1) &&
              sameCode(textureStageColorArg2, D3DTSS_COLORARG2) &&
              sameCode(textureStageAlphaOp, D3DTSS_ALPHAOP));
static_assert(sameCode(textureOpModulate, D3DTOP_MODULATE) &&
              sameCode(textureArgDiffuse, D3DTA_DIFFUSE) &&
              sameCode(textureArgTexture, D3DTA_TEXTURE));
static_assert(sameCode(clearTarget, D3DCLEAR_TARGET) && sameCode(clearZBuffer, D3DCLEAR_ZBUFFER));
static_assert(sameCode(lightDirectional, D3DLIGHT_DIRECTIONAL) &&
              sameCode(meshManaged, D3DXMESH_MANAGED) &&
              sameCode(mesh32BitIndices, D3DXMESH_32BIT));
static_assert(sameCode(usageWriteOnly, D3DUSAGE_WRITEONLY) &&
              sameCode(usageDynamic, D3DUSAGE_DYNAMIC) && sameCode(lockDiscard, D3DLOCK_DISCARD));
static_assert(sameCode(d3dxDefault, D3DX_DEFAULT) && sameCode(poolDefault, D3DPOOL_DEFAULT) &&
              sameCode(poolManaged, D3DPOOL_MANAGED) &&
              sameCode(primitiveTriangleStrip, D3DPT_TRIANGLESTRIP));
static_assert(sameCode(deviceTypeHal, D3DDEVTYPE_HAL) && sameCode(deviceTypeRef, D3DDEVTYPE_REF) &&
              sameCode(hardwareVertexProcessing, D3DCREATE_HARDWARE_VERTEXPROCESSING) &&
              sameCode(softwareVertexProcessing, D3DCREATE_SOFTWARE_VERTEXPROCESSING));
static_assert(sameCode(formatR5G6B5, D3DFMT_R5G6B5) && sameCode(formatD16, D3DFMT_D16) &&
              sameCode(swapEffectDiscard, D3DSWAPEFFECT_DISCARD) &&
              sameCode(presentIntervalOne, D3DPRESENT_INTERVAL_ONE));

static_assert(sizeof(Matrix) == sizeof(D3DMATRIX));
static_assert(sizeof(Material) == sizeof(D3DMATERIAL9) &&
              offsetof(Material, ambient) == offsetof(D3DMATERIAL9, Ambient) &&
              offsetof(Material, power) == offsetof(D3DMATERIAL9, Power));
static_assert(sizeof(Light) == sizeof(D3DLIGHT9) &&
              offsetof(Light, direction) == offsetof(D3DLIGHT9, Direction) &&
              offsetof(Light, phi) == offsetof(D3DLIGHT9, Phi));

namespace {

IDirect3DDevice9* direct3dDevice(DeviceHandle device) {
    return reinterpret_cast<IDirect3DDevice9*>(device);
}

IDirect3DTexture9* direct3dTexture(TextureHandle texture) {
    return reinterpret_cast<IDirect3DTexture9*>(texture);
}

IDirect3DVertexBuffer9* direct3dBuffer(VertexBufferHandle buffer) {
    return reinterpret_cast<IDirect3DVertexBuffer9*>(buffer);
}

template <typename Record, typename Portable> Record asRecord(const Portable& portable) {
    Record record;
    std::memcpy(&record, &portable, sizeof record);
    return record;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Frame and fixed-function state

GraphicsResult beginScene(DeviceHandle device) {
    return direct3dDevice(device)->BeginScene();
}

GraphicsResult endScene(DeviceHandle device) {
    graphicsHelpers().endTextBatch();
    return direct3dDevice(device)->EndScene();
}

GraphicsResult clear(DeviceHandle device, std::uint32_t flags, std::uint32_t color, float depth,
                     std::uint32_t stencil) {
    return direct3dDevice(device)->Clear(0, nullptr, flags, color, depth, stencil);
}

GraphicsResult present(DeviceHandle device) {
    return direct3dDevice(device)->Present(nullptr, nullptr, nullptr, nullptr);
}

GraphicsResult setTransform(DeviceHandle device, TransformState state, const Matrix& matrix) {
    const D3DMATRIX record = asRecord<D3DMATRIX>(matrix);
    return direct3dDevice(device)->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &record);
}

GraphicsResult setLight(DeviceHandle device, std::uint32_t index, const Light& light) {
    const D3DLIGHT9 record = asRecord<D3DLIGHT9>(light);
    return direct3dDevice(device)->SetLight(index, &record);
}

GraphicsResult lightEnable(DeviceHandle device, std::uint32_t index, bool enable) {
    return direct3dDevice(device)->LightEnable(index, enable ? TRUE : FALSE);
}

GraphicsResult setRenderState(DeviceHandle device, RenderState state, std::uint32_t value) {
    return direct3dDevice(device)->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
}

GraphicsResult setMaterial(DeviceHandle device, const Material& material) {
    const D3DMATERIAL9 record = asRecord<D3DMATERIAL9>(material);
    return direct3dDevice(device)->SetMaterial(&record);
}

GraphicsResult setTexture(DeviceHandle device, std::uint32_t stage, TextureHandle texture) {
    return direct3dDevice(device)->SetTexture(stage, direct3dTexture(texture));
}

GraphicsResult setTextureStageState(DeviceHandle device, std::uint32_t stage,
                                    TextureStageState state, std::uint32_t value) {
    return direct3dDevice(device)->SetTextureStageState(
        stage, static_cast<D3DTEXTURESTAGESTATETYPE>(state), value);
}

// ---------------------------------------------------------------------------------------------
// Vertex buffers and primitives

GraphicsResult createVertexBuffer(DeviceHandle device, std::uint32_t length, std::uint32_t usage,
                                  std::uint32_t fvf, std::uint32_t pool,
                                  VertexBufferHandle& buffer) {
    IDirect3DVertexBuffer9* created = nullptr;
    const HRESULT result = direct3dDevice(device)->CreateVertexBuffer(
        length, usage, fvf, static_cast<D3DPOOL>(pool), &created, nullptr);
    buffer = reinterpret_cast<VertexBufferHandle>(SUCCEEDED(result) ? created : nullptr);
    return result;
}

GraphicsResult lockVertexBuffer(VertexBufferHandle buffer, std::uint32_t offset, std::uint32_t size,
                                void*& data, std::uint32_t flags) {
    data = nullptr;
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return direct3dBuffer(buffer)->Lock(offset, size, &data, flags);
}

GraphicsResult unlockVertexBuffer(VertexBufferHandle buffer) {
    return direct3dBuffer(buffer)->Unlock();
}

void releaseVertexBuffer(VertexBufferHandle buffer) {
    direct3dBuffer(buffer)->Release();
}

GraphicsResult setStreamSource(DeviceHandle device, std::uint32_t stream, VertexBufferHandle buffer,
                               std::uint32_t offset, std::uint32_t stride) {
    return direct3dDevice(device)->SetStreamSource(stream, direct3dBuffer(buffer), offset, stride);
}

GraphicsResult setFvf(DeviceHandle device, std::uint32_t fvf) {
    return direct3dDevice(device)->SetFVF(fvf);
}

GraphicsResult drawPrimitive(DeviceHandle device, std::uint32_t primitiveType,
                             std::uint32_t startVertex, std::uint32_t primitiveCount) {
    return direct3dDevice(device)->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(primitiveType),
                                                 startVertex, primitiveCount);
}

// ---------------------------------------------------------------------------------------------
// Meshes and textures from files

GraphicsResult loadMeshFromX(const char* fileName, std::uint32_t options, DeviceHandle device,
                             MeshHandle& mesh, std::vector<MeshMaterial>& materials) {
    return graphicsHelpers().loadMeshFromX(fileName, options, direct3dDevice(device), mesh,
                                           materials);
}

GraphicsResult drawMeshSubset(MeshHandle mesh, std::uint32_t subset) {
    return graphicsHelpers().drawMeshSubset(mesh, subset);
}

void releaseMesh(MeshHandle mesh) {
    graphicsHelpers().releaseMesh(mesh);
}

GraphicsResult createTextureFromFile(DeviceHandle device, const char* fileName,
                                     TextureHandle& texture) {
    IDirect3DTexture9* created = nullptr;
    const HRESULT result =
        graphicsHelpers().createTextureFromFile(direct3dDevice(device), fileName, &created);
    texture = reinterpret_cast<TextureHandle>(SUCCEEDED(result) ? created : nullptr);
    return result;
}

GraphicsResult createTextureFromFileEx(DeviceHandle device, const char* fileName,
                                       std::uint32_t width, std::uint32_t height,
                                       std::uint32_t mipLevels, std::uint32_t usage,
                                       std::uint32_t format, std::uint32_t pool,
                                       std::uint32_t filter, std::uint32_t mipFilter,
                                       std::uint32_t colorKey, TextureHandle& texture) {
    IDirect3DTexture9* created = nullptr;
    const HRESULT result = graphicsHelpers().createTextureFromFileEx(
        direct3dDevice(device), fileName, width, height, mipLevels, usage,
        static_cast<D3DFORMAT>(format), static_cast<D3DPOOL>(pool), filter, mipFilter, colorKey,
        &created);
    texture = reinterpret_cast<TextureHandle>(SUCCEEDED(result) ? created : nullptr);
    return result;
}

void releaseTexture(TextureHandle texture) {
    direct3dTexture(texture)->Release();
}

// ---------------------------------------------------------------------------------------------
// Text

std::int32_t drawFontText(FontHandle font, const char* text, std::int32_t count,
                          const TextRect& rect, std::uint32_t format, std::uint32_t color) {
    RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    return graphicsHelpers().drawText(font, text, count, area, format, color);
}

void finishHandedFrames() {
    if (device == nullptr) {
        return;
    }
    IDirect3DQuery9* finished = nullptr;
    if (FAILED(direct3dDevice(device)->CreateQuery(D3DQUERYTYPE_EVENT, &finished))) {
        return;
    }
    finished->Issue(D3DISSUE_END);
    const ULONGLONG giveUpAt = GetTickCount64() + 1000;
    while (finished->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE &&
           GetTickCount64() < giveUpAt) {
        Sleep(1);
    }
    finished->Release();
}
