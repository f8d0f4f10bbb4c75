#include "fakes/recording_graphics.h"

#include <cstring>

namespace recording_graphics {

Script script;
std::vector<Call> calls;

namespace {

std::uintptr_t nextHandle = 0x1000;
// Memory handed out by a successful lock: large enough for any buffer the viewer makes.
unsigned char lockedMemory[4096];

std::uintptr_t makeHandle() {
    return nextHandle += 0x10;
}

template <typename Handle> std::uintptr_t number(Handle handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

template <typename Handle> Handle handleFrom(std::uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

Call& record(const std::string& name, std::vector<std::uintptr_t> values = {},
             std::vector<float> floats = {}) {
    Call call;
    call.name = name;
    call.values = std::move(values);
    call.floats = std::move(floats);
    calls.push_back(std::move(call));
    return calls.back();
}

GraphicsResult failure() {
    return static_cast<GraphicsResult>(0x8876086C);
} // D3DERR_INVALIDCALL

} // namespace

void reset() {
    script = Script{};
    calls.clear();
    nextHandle = 0x1000;
}

std::vector<Call> callsNamed(const std::string& name) {
    std::vector<Call> found;
    for (const Call& call : calls) {
        if (call.name == name) {
            found.push_back(call);
        }
    }
    return found;
}

std::vector<std::string> callNames() {
    std::vector<std::string> names;
    for (const Call& call : calls) {
        names.push_back(call.name);
    }
    return names;
}

int indexOf(const std::string& name, int start) {
    for (int i = start; i < static_cast<int>(calls.size()); ++i) {
        if (calls[static_cast<std::size_t>(i)].name == name) {
            return i;
        }
    }
    return -1;
}

Material distinctMaterial(float seed) {
    return Material{{seed, seed + 0.01f, seed + 0.02f, seed + 0.03f},
                    {seed + 0.1f, seed + 0.11f, seed + 0.12f, seed + 0.13f},
                    {seed + 0.2f, seed + 0.21f, seed + 0.22f, seed + 0.23f},
                    {seed + 0.3f, seed + 0.31f, seed + 0.32f, seed + 0.33f},
                    seed * 10.0f};
}

} // namespace recording_graphics

using namespace recording_graphics;

void initializeCom() {
    record("initializeCom");
}

Direct3DHandle createDirect3D() {
    Call& call = record("createDirect3D");
    if (script.direct3dFails) {
        return nullptr;
    }
    call.made = makeHandle();
    return handleFrom<Direct3DHandle>(call.made);
}

GraphicsResult createDirect3DDevice(Direct3DHandle direct3d, std::uint32_t adapter, DeviceType type,
                                    WindowHandle focusWindow, std::uint32_t behaviourFlags,
                                    PresentParameters& parameters, DeviceHandle& device) {
    const std::size_t attempt = callsNamed("createDirect3DDevice").size();
    Call& call = record("createDirect3DDevice",
                        {number(direct3d), adapter, type, number(focusWindow), behaviourFlags});
    call.presentParameters = parameters;
    if (attempt < script.deviceResults.size() && script.deviceResults[attempt] != graphicsOk) {
        device = nullptr;
        return script.deviceResults[attempt];
    }
    call.made = makeHandle();
    device = handleFrom<DeviceHandle>(call.made);
    return graphicsOk;
}

GraphicsResult createFontIndirect(DeviceHandle device, const FontDescription& description,
                                  FontHandle& font) {
    Call& call = record("createFontIndirect", {number(device)});
    call.fontDescription = description;
    if (script.fontResult != graphicsOk) {
        return script.fontResult;
    }
    call.made = makeHandle();
    font = handleFrom<FontHandle>(call.made);
    return graphicsOk;
}

GraphicsResult directInput8Create(std::uint32_t version, InputHandle& input) {
    Call& call = record("directInput8Create", {version});
    if (script.inputResult != graphicsOk) {
        return script.inputResult;
    }
    call.made = makeHandle();
    input = handleFrom<InputHandle>(call.made);
    return graphicsOk;
}

void releaseInput(InputHandle input) {
    record("releaseInput", {number(input)});
}

void releaseFont(FontHandle font) {
    record("releaseFont", {number(font)});
}

void releaseDevice(DeviceHandle device) {
    record("releaseDevice", {number(device)});
}

void releaseDirect3D(Direct3DHandle direct3d) {
    record("releaseDirect3D", {number(direct3d)});
}

GraphicsResult testCooperativeLevel(DeviceHandle device) {
    record("testCooperativeLevel", {number(device)});
    return script.cooperativeLevel;
}

GraphicsResult resetDevice(DeviceHandle device, const PresentParameters& parameters) {
    record("resetDevice", {number(device)}).presentParameters = parameters;
    return graphicsOk;
}

void fontOnLostDevice(FontHandle font) {
    record("fontOnLostDevice", {number(font)});
}

GraphicsResult fontOnResetDevice(FontHandle font) {
    record("fontOnResetDevice", {number(font)});
    return graphicsOk;
}

GraphicsResult beginScene(DeviceHandle device) {
    record("beginScene", {number(device)});
    return graphicsOk;
}

GraphicsResult endScene(DeviceHandle device) {
    record("endScene", {number(device)});
    return graphicsOk;
}

GraphicsResult clear(DeviceHandle device, std::uint32_t flags, std::uint32_t color, float depth,
                     std::uint32_t stencil) {
    record("clear", {number(device), flags, color, stencil}, {depth});
    return graphicsOk;
}

GraphicsResult present(DeviceHandle device) {
    record("present", {number(device)});
    return script.presentResult;
}

GraphicsResult setTransform(DeviceHandle device, TransformState state, const Matrix& matrix) {
    record("setTransform", {number(device), state}).matrix = matrix;
    return graphicsOk;
}

GraphicsResult setLight(DeviceHandle device, std::uint32_t index, const Light& light) {
    record("setLight", {number(device), index}).light = light;
    return graphicsOk;
}

GraphicsResult lightEnable(DeviceHandle device, std::uint32_t index, bool enable) {
    record("lightEnable", {number(device), index, enable ? 1u : 0u});
    return graphicsOk;
}

GraphicsResult setRenderState(DeviceHandle device, RenderState state, std::uint32_t value) {
    record("setRenderState", {number(device), state, value});
    return graphicsOk;
}

GraphicsResult setMaterial(DeviceHandle device, const Material& material) {
    record("setMaterial", {number(device)}).material = material;
    return graphicsOk;
}

GraphicsResult setTexture(DeviceHandle device, std::uint32_t stage, TextureHandle texture) {
    record("setTexture", {number(device), stage, number(texture)});
    return graphicsOk;
}

GraphicsResult setTextureStageState(DeviceHandle device, std::uint32_t stage,
                                    TextureStageState state, std::uint32_t value) {
    record("setTextureStageState", {number(device), stage, state, value});
    return graphicsOk;
}

GraphicsResult createVertexBuffer(DeviceHandle device, std::uint32_t length, std::uint32_t usage,
                                  std::uint32_t fvf, std::uint32_t pool,
                                  VertexBufferHandle& buffer) {
    Call& call = record("createVertexBuffer", {number(device), length, usage, fvf, pool});
    if (script.vertexBufferFails) {
        buffer = nullptr;
        return failure();
    }
    call.made = makeHandle();
    buffer = handleFrom<VertexBufferHandle>(call.made);
    return graphicsOk;
}

GraphicsResult lockVertexBuffer(VertexBufferHandle buffer, std::uint32_t offset, std::uint32_t size,
                                void*& data, std::uint32_t flags) {
    record("lockVertexBuffer", {number(buffer), offset, size, flags});
    if (script.lockFails || buffer == nullptr || size > sizeof lockedMemory) {
        data = nullptr;
        return failure();
    }
    std::memset(lockedMemory, 0, sizeof lockedMemory);
    data = lockedMemory;
    return graphicsOk;
}

GraphicsResult unlockVertexBuffer(VertexBufferHandle buffer) {
    // Keeps what was written into the locked memory, as raw bytes in text.
    Call& call = record("unlockVertexBuffer", {number(buffer)});
    call.text.assign(reinterpret_cast<const char*>(lockedMemory), sizeof lockedMemory);
    return graphicsOk;
}

void releaseVertexBuffer(VertexBufferHandle buffer) {
    record("releaseVertexBuffer", {number(buffer)});
}

GraphicsResult setStreamSource(DeviceHandle device, std::uint32_t stream, VertexBufferHandle buffer,
                               std::uint32_t offset, std::uint32_t stride) {
    record("setStreamSource", {number(device), stream, number(buffer), offset, stride});
    return graphicsOk;
}

GraphicsResult setFvf(DeviceHandle device, std::uint32_t fvf) {
    record("setFvf", {number(device), fvf});
    return graphicsOk;
}

GraphicsResult drawPrimitive(DeviceHandle device, std::uint32_t primitiveType,
                             std::uint32_t startVertex, std::uint32_t primitiveCount) {
    record("drawPrimitive", {number(device), primitiveType, startVertex, primitiveCount});
    return graphicsOk;
}

GraphicsResult loadMeshFromX(const char* fileName, std::uint32_t options, DeviceHandle device,
                             MeshHandle& mesh, std::vector<MeshMaterial>& materials) {
    Call& call = record("loadMeshFromX", {options, number(device)});
    call.text = fileName;
    const auto file = script.meshFiles.find(fileName);
    if (file == script.meshFiles.end()) {
        return failure();
    }
    call.made = makeHandle();
    mesh = handleFrom<MeshHandle>(call.made);
    materials = file->second.materials;
    return graphicsOk;
}

GraphicsResult drawMeshSubset(MeshHandle mesh, std::uint32_t subset) {
    record("drawMeshSubset", {number(mesh), subset});
    return graphicsOk;
}

void releaseMesh(MeshHandle mesh) {
    record("releaseMesh", {number(mesh)});
}

// Both texture loads answer alike: a file the script calls missing fails, any other gives a
// new texture.
static GraphicsResult answerTextureLoad(Call& call, const char* fileName, TextureHandle& texture) {
    call.text = fileName;
    if (script.missingTextures.count(fileName) != 0) {
        return failure();
    }
    call.made = makeHandle();
    texture = handleFrom<TextureHandle>(call.made);
    return graphicsOk;
}

GraphicsResult createTextureFromFile(DeviceHandle device, const char* fileName,
                                     TextureHandle& texture) {
    Call& call = record("createTextureFromFile", {number(device)});
    return answerTextureLoad(call, fileName, texture);
}

GraphicsResult createTextureFromFileEx(DeviceHandle device, const char* fileName,
                                       std::uint32_t width, std::uint32_t height,
                                       std::uint32_t mipLevels, std::uint32_t usage,
                                       std::uint32_t format, std::uint32_t pool,
                                       std::uint32_t filter, std::uint32_t mipFilter,
                                       std::uint32_t colorKey, TextureHandle& texture) {
    Call& call = record("createTextureFromFileEx", {number(device), width, height, mipLevels, usage,
                                                    format, pool, filter, mipFilter, colorKey});
    return answerTextureLoad(call, fileName, texture);
}

void releaseTexture(TextureHandle texture) {
    record("releaseTexture", {number(texture)});
}

std::int32_t drawFontText(FontHandle font, const char* text, std::int32_t count,
                          const TextRect& rect, std::uint32_t format, std::uint32_t color) {
    Call& call =
        record("drawFontText", {number(font), static_cast<std::uintptr_t>(count), format, color});
    call.text = text;
    call.rect = rect;
    return 14;
}
