// The GLSL of the native viewer's two programs, beside the uniform lookups that name what the
// sources declare. Links libepoxy.

#include "gl_shaders.h"

#include "app/startup_failure.h"

#include <string>

namespace {

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
layout(location = 0) in vec2 pixel; // in window pixels, downward, whole numbers on pixel edges
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 texcoord;

uniform vec2 pictureSize;

out vec4 diffuseColor;
out vec3 specularColor;
out vec2 uv;

void main() {
    gl_Position = vec4(pixel.x / pictureSize.x * 2.0 - 1.0, 1.0 - pixel.y / pictureSize.y * 2.0,
                       0.0, 1.0);
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

} // namespace

bool buildLitProgram(LitProgram& program) {
    program.name = linkProgram(litVertexShader);
    if (program.name != 0) {
        findLitUniforms(program);
    }
    return program.name != 0;
}

bool buildScreenProgram(ScreenProgram& program) {
    program.name = linkProgram(screenVertexShader);
    if (program.name == 0) {
        return false;
    }
    program.pictureSize = glGetUniformLocation(program.name, "pictureSize");
    program.hasTexture = glGetUniformLocation(program.name, "hasTexture");
    return true;
}
