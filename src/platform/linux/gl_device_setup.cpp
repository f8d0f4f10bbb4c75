// Start-up of the Linux graphics: implements the creating operations of gfx/graphics.h except
// the font (ft_font.cpp). The "device" is an OpenGL 3.3 core context on the SDL window with
// the off-screen frame buffer the picture is drawn into and the two shader programs that give
// Direct3D 9's fixed-function meaning to the core's drawing. COM and DirectInput have no
// counterpart: their calls succeed and make nothing. Links SDL2 and libepoxy.

#include "gfx/graphics.h"

#include "gl_device.h"
#include "linux_platform.h"

#include <SDL.h>

#include <string>

DeviceObject* currentDevice = nullptr;

// Stand-ins for the Direct3D and DirectInput objects: the core only tests them for null.
struct Direct3DObject {};
struct InputObject {};

namespace {

constexpr GraphicsResult graphicsFailed = static_cast<GraphicsResult>(0x80004005); // E_FAIL

Direct3DObject direct3dObject;
InputObject inputObject;

// ---------------------------------------------------------------------------------------------
// Shaders

constexpr const char* litVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texcoord;
layout(location = 3) in vec4 vertexColour;

// The matrices arrive row by row as the core keeps them; read as column-major, M * v is
// Direct3D's row-vector product v x M.
uniform mat4 worldView;
uniform mat3 normalMatrix;
uniform mat4 projection;
uniform vec2 pixelOffset;

uniform bool lighting;
uniform vec4 lightDiffuse;
uniform vec4 lightSpecular;
uniform vec4 lightAmbient;
uniform vec3 toLight; // unit vector from the vertex to the directional light, view space
uniform vec4 materialDiffuse;
uniform vec4 materialAmbient;
uniform vec4 materialSpecular;
uniform vec4 materialEmissive;
uniform float materialPower;
uniform bool specularEnable;
uniform bool vertexColours; // a vertex colour stands in for the material's diffuse colour

out vec4 diffuseColor;
out vec3 specularColor;
out vec2 uv;

void main() {
    vec4 viewPosition = worldView * vec4(position, 1.0);
    vec4 clip = projection * viewPosition;
    clip.z = 2.0 * clip.z - clip.w; // Direct3D depth runs from 0 to w, OpenGL's from -w to w
    clip.xy += pixelOffset * clip.w;
    gl_Position = clip;
    uv = texcoord;
    vec4 diffuse = vertexColours ? vertexColour : materialDiffuse;
    if (!lighting) {
        diffuseColor = vertexColours ? vertexColour : vec4(1.0);
        specularColor = vec3(0.0);
        return;
    }
    // Per vertex, in view space, with the camera at the origin (local viewer).
    vec3 n = normalMatrix * normal;
    float nDotL = dot(n, toLight);
    vec3 color = materialAmbient.rgb * lightAmbient.rgb + materialEmissive.rgb;
    vec3 specular = vec3(0.0);
    if (nDotL > 0.0) {
        color += diffuse.rgb * lightDiffuse.rgb * nDotL;
        vec3 halfway = normalize(normalize(-viewPosition.xyz) + toLight);
        float nDotH = max(dot(n, halfway), 0.0);
        float highlight = materialPower > 0.0 ? pow(nDotH, materialPower) : 1.0;
        specular = materialSpecular.rgb * lightSpecular.rgb * highlight;
    }
    diffuseColor = vec4(clamp(color, 0.0, 1.0), clamp(diffuse.a, 0.0, 1.0));
    specularColor = specularEnable ? clamp(specular, 0.0, 1.0) : vec3(0.0);
}
)";

constexpr const char* screenVertexShader = R"(#version 330 core
layout(location = 0) in vec4 positionRhw; // x and y in pixels, downward; z; 1/w
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 texcoord;

uniform vec2 pictureSize;
uniform float pixelOffset;

out vec4 diffuseColor;
out vec3 specularColor;
out vec2 uv;

void main() {
    float w = 1.0 / positionRhw.w;
    vec2 pixel = positionRhw.xy + vec2(pixelOffset);
    vec2 ndc = vec2(pixel.x / pictureSize.x * 2.0 - 1.0, 1.0 - pixel.y / pictureSize.y * 2.0);
    gl_Position = vec4(ndc * w, (2.0 * positionRhw.z - 1.0) * w, w);
    diffuseColor = color;
    specularColor = vec3(0.0);
    uv = texcoord;
}
)";

// Texture stage 0 modulates the texture with the diffuse colour (a stage without a texture
// passes the diffuse colour on); the specular colour is added after the stage.
constexpr const char* fragmentShader = R"(#version 330 core
in vec4 diffuseColor;
in vec3 specularColor;
in vec2 uv;

uniform sampler2D picture;
uniform bool hasTexture;

out vec4 fragment;

void main() {
    vec4 texel = hasTexture ? texture(picture, uv) : vec4(1.0);
    fragment = vec4(texel.rgb * diffuseColor.rgb + specularColor, texel.a * diffuseColor.a);
}
)";

GLuint compileShader(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        noteStartUpFailure(std::string("a shader does not compile: ") + log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint linkProgram(const char* vertexSource) {
    const GLuint vertex = compileShader(GL_VERTEX_SHADER, vertexSource);
    const GLuint fragment = compileShader(GL_FRAGMENT_SHADER, fragmentShader);
    if (vertex == 0 || fragment == 0) {
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        noteStartUpFailure("the shader programs do not link");
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

void findLitUniforms(LitProgram& p) {
    const auto at = [&](const char* name) { return glGetUniformLocation(p.name, name); };
    p.worldView = at("worldView");
    p.normalMatrix = at("normalMatrix");
    p.projection = at("projection");
    p.pixelOffset = at("pixelOffset");
    p.lighting = at("lighting");
    p.lightDiffuse = at("lightDiffuse");
    p.lightSpecular = at("lightSpecular");
    p.lightAmbient = at("lightAmbient");
    p.toLight = at("toLight");
    p.materialDiffuse = at("materialDiffuse");
    p.materialAmbient = at("materialAmbient");
    p.materialSpecular = at("materialSpecular");
    p.materialEmissive = at("materialEmissive");
    p.materialPower = at("materialPower");
    p.specularEnable = at("specularEnable");
    p.hasTexture = at("hasTexture");
    p.vertexColours = at("vertexColours");
}

// ---------------------------------------------------------------------------------------------
// The picture's frame buffer

bool createFrameBuffer(DeviceObject& device) {
    glGenFramebuffers(1, &device.frameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, device.frameBuffer);
    glGenRenderbuffers(1, &device.colorBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, device.colorBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, device.width, device.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              device.colorBuffer);
    glGenRenderbuffers(1, &device.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, device.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, device.width, device.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              device.depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        noteStartUpFailure("OpenGL cannot draw into an off-screen frame buffer");
        return false;
    }
    return true;
}

// Direct3D's defaults for what the core never sets: depth test less-or-equal with writes,
// clockwise front faces with counter-clockwise ones culled, no dithering.
void setFixedState(const DeviceObject& device) {
    glViewport(0, 0, device.width, device.height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glDisable(GL_DITHER);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

void setIdentity(Matrix& matrix) {
    matrix = Matrix{};
    for (int i = 0; i < 4; ++i) {
        matrix.m[i][i] = 1.0f;
    }
}

DeviceObject* createDevice(SDL_Window* window, const PresentParameters& parameters) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        noteStartUpFailure(std::string("no OpenGL 3.3 context: ") + SDL_GetError());
        return nullptr;
    }
    auto* device = new DeviceObject;
    device->window = window;
    device->context = context;
    device->width = static_cast<int>(parameters.backBufferWidth);
    device->height = static_cast<int>(parameters.backBufferHeight);
    setIdentity(device->world);
    setIdentity(device->view);
    setIdentity(device->projection);
    if (!createFrameBuffer(*device) || !createPrograms(*device)) {
        SDL_GL_DeleteContext(context);
        delete device;
        return nullptr;
    }
    setFixedState(*device);
    // Present waits for the retrace where the driver can; where it cannot, present paces
    // itself (gl_graphics.cpp).
    const char* unpaced = SDL_getenv("VIEWER_UNPACED");
    device->unpaced = unpaced != nullptr && std::string(unpaced) == "1";
    SDL_GL_SetSwapInterval(device->unpaced ? 0 : 1);
    return device;
}

} // namespace

bool createPrograms(DeviceObject& device) {
    device.lit.name = linkProgram(litVertexShader);
    device.screen.name = linkProgram(screenVertexShader);
    if (device.lit.name == 0 || device.screen.name == 0) {
        return false;
    }
    findLitUniforms(device.lit);
    device.screen.pictureSize = glGetUniformLocation(device.screen.name, "pictureSize");
    device.screen.pixelOffset = glGetUniformLocation(device.screen.name, "pixelOffset");
    device.screen.hasTexture = glGetUniformLocation(device.screen.name, "hasTexture");
    glGenVertexArrays(1, &device.screenVertexArray);
    glGenBuffers(1, &device.scratchBuffer);
    return true;
}

void initializeCom() {}

Direct3DHandle createDirect3D() {
    return &direct3dObject;
}

GraphicsResult createDirect3DDevice(Direct3DHandle direct3d, std::uint32_t, DeviceType,
                                    WindowHandle focusWindow, std::uint32_t,
                                    PresentParameters& parameters, DeviceHandle& device) {
    device = nullptr;
    if (direct3d == nullptr || focusWindow == nullptr || sdlMainWindow() == nullptr) {
        noteStartUpFailure("no window to draw into");
        return graphicsFailed;
    }
    currentDevice = createDevice(sdlMainWindow(), parameters);
    device = currentDevice;
    return device != nullptr ? graphicsOk : graphicsFailed;
}

GraphicsResult directInput8Create(std::uint32_t, InputHandle& input) {
    input = &inputObject;
    return graphicsOk;
}

// An OpenGL context is not lost the way a Direct3D 9 device is: the device always answers
// that it can draw, and a reset has nothing to do.
GraphicsResult testCooperativeLevel(DeviceHandle) {
    return graphicsOk;
}

GraphicsResult resetDevice(DeviceHandle, const PresentParameters&) {
    return graphicsOk;
}

// The context and its objects go with the window when the process ends; the input and
// Direct3D stand-ins hold nothing.
void releaseDevice(DeviceHandle) {}
void releaseDirect3D(Direct3DHandle) {}
// The native entry says why in its own words (sdl_main.cpp): one line is enough.
void reportGraphicsFailure(const char*, GraphicsResult) {}
void releaseInput(InputHandle) {}
