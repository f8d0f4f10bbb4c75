// The floor the native viewer is measured against (bench/native_vs_floor.py): the least a
// program must do to show the viewer's first picture. It opens a window of the viewer's client
// size with an OpenGL 3.3 core context, loads kabe.x and model.x from the working folder with
// our .x loader and each one's first texture with stb_image, and every frame clears, draws the
// wall and the model with one glDrawElements each through the viewer's lit program, under the
// viewer's initial camera and light, and swaps. Nothing else: no text, filter, button, capture
// or off-screen frame buffer. VIEWER_UNPACED=1 turns the swap interval off and prints the frame
// rate once a second, as the viewer does. Escape or closing the window quits. Built with the
// linux preset; links the Linux platform library for its shaders.

#include "gfx/matrix.h"
#include "gfx/mesh_check.h"
#include "gl_graphics.h"
#include "gl_shaders.h"
#include "scene/frame_steps.h"
#include "state/viewer_state.h"
#include "window/window_layout.h"
#include "xfile/x_mesh.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <stb_image.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr float clearRed = 0x3C / 255.0f; // the viewer's clear colour, 0xFF3CA3B9
constexpr float clearGreen = 0xA3 / 255.0f;
constexpr float clearBlue = 0xB9 / 255.0f;

// The viewer's light and camera lens.
constexpr float lightDiffuse = 0.2f;
constexpr float lightSpecular = 0.3f;
constexpr Vector lightDirection = {0.0f, -1.0f, 1.0f};
constexpr Vector cameraUp = {0.0f, 1.0f, 0.0f};
constexpr float fieldOfViewY = static_cast<float>(3.14159265358979323846 / 3.0);
constexpr float aspectRatio = 1.0f;
constexpr float nearPlane = 0.01f;
constexpr float farPlane = 2000.0f;

struct FloorMesh {
    GLuint vertexArray = 0;
    GLsizei indexCount = 0;
    GLuint texture = 0; // 0 when the first material names none or it does not load
    XMaterial material{};
    Vector position{};
};

// ---------------------------------------------------------------------------------------------
// Loading

GLuint loadTexture(const std::string& fileName) {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load(fileName.c_str(), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        return 0;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    stbi_image_free(pixels);
    // The viewer's sampling: nearest texel, one level, wrapped (OpenGL's default).
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

// All of the file's triangles in one vertex and one index buffer, as the file orders them.
bool loadMesh(const char* fileName, const Vector& position, FloorMesh& out) {
    XMesh mesh;
    std::string error;
    if (!loadXFile(fileName, mesh, error)) {
        std::fprintf(stderr, "native_floor: %s: %s\n", fileName, error.c_str());
        return false;
    }
    // The draw reads vertices through every index: a file's mesh is checked as the viewer's is.
    if (mesh.materials.empty() || meshFault(mesh) != MeshFault::none) {
        std::fprintf(stderr, "native_floor: %s: no material, or indices past the vertices\n",
                     fileName);
        return false;
    }
    glGenVertexArrays(1, &out.vertexArray);
    glBindVertexArray(out.vertexArray);
    GLuint buffers[2];
    glGenBuffers(2, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(XVertex)),
                 mesh.vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(mesh.indices.size() * sizeof(std::uint32_t)),
                 mesh.indices.data(), GL_STATIC_DRAW);
    const auto stride = static_cast<GLsizei>(sizeof(XVertex));
    const std::size_t offsets[3] = {offsetof(XVertex, position), offsetof(XVertex, normal),
                                    offsetof(XVertex, texcoord)};
    const GLint sizes[3] = {3, 3, 2};
    for (GLuint i = 0; i < 3; ++i) {
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, sizes[i], GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<void*>(offsets[i]));
    }
    glBindVertexArray(0);
    out.indexCount = static_cast<GLsizei>(mesh.indices.size());
    out.material = mesh.materials[0];
    out.texture = loadTexture(out.material.textureFileName);
    out.position = position;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Drawing

struct Camera {
    Matrix view{};
    Matrix projection{};
    float toLight[3] = {}; // unit vector toward the light, in view space
};

Camera initialCamera(ViewerState state) {
    Camera camera;
    updateLookAtPoint(state);
    matrixLookAtLH(camera.view, state.eyePosition, state.lookAtPoint, cameraUp);
    matrixPerspectiveFovLH(camera.projection, fieldOfViewY, aspectRatio, nearPlane, farPlane);
    const Vector& d = lightDirection;
    float length = 0.0f;
    for (int c = 0; c < 3; ++c) {
        const Matrix& v = camera.view;
        camera.toLight[c] = -(d.x * v.m[0][c] + d.y * v.m[1][c] + d.z * v.m[2][c]);
        length += camera.toLight[c] * camera.toLight[c];
    }
    for (float& component : camera.toLight) {
        component /= std::sqrt(length);
    }
    return camera;
}

// The uniforms the lit program reads that stay the same for the whole run.
void setLightUniforms(const LitProgram& p, const Camera& camera, const ViewerState& state) {
    glUseProgram(p.name);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, &camera.projection.m[0][0]);
    glUniform2f(p.pixelOffset, 2.0f * pixelCentreShift / window_layout::clientWidth,
                -2.0f * pixelCentreShift / window_layout::clientHeight);
    glUniform1i(p.lighting, 1);
    glUniform1i(p.specularEnable, 1);
    glUniform1i(p.vertexColours, 0);
    glUniform4f(p.lightDiffuse, lightDiffuse, lightDiffuse, lightDiffuse, lightDiffuse);
    glUniform4f(p.lightSpecular, lightSpecular, lightSpecular, lightSpecular, lightSpecular);
    glUniform4f(p.lightAmbient, state.ambientRed, state.ambientGreen, state.ambientBlue, 1.0f);
    glUniform3fv(p.toLight, 1, camera.toLight);
}

void drawMesh(const LitProgram& p, const Camera& camera, const FloorMesh& mesh) {
    Matrix world{};
    meshWorldMatrix(world, mesh.position, {0.0f, 0.0f, 0.0f});
    Matrix worldView{};
    matrixMultiply(worldView, world, camera.view);
    // World and view only move and turn, so the normals' matrix (the inverse transpose of the
    // upper 3 x 3) is that 3 x 3 itself.
    float normalMatrix[9];
    for (int r = 0; r < 3; ++r) {
        std::memcpy(normalMatrix + 3 * r, worldView.m[r], 3 * sizeof(float));
    }
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normalMatrix);
    const XMaterial& m = mesh.material;
    // Lit meshes take their ambient colour from the diffuse one, as in the viewer.
    glUniform4fv(p.materialDiffuse, 1, m.diffuse);
    glUniform4fv(p.materialAmbient, 1, m.diffuse);
    glUniform4f(p.materialSpecular, m.specular[0], m.specular[1], m.specular[2], 1.0f);
    glUniform4f(p.materialEmissive, m.emissive[0], m.emissive[1], m.emissive[2], 1.0f);
    glUniform1f(p.materialPower, m.power);
    glUniform1i(p.hasTexture, mesh.texture != 0);
    glBindTexture(GL_TEXTURE_2D, mesh.texture);
    glBindVertexArray(mesh.vertexArray);
    glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Window and loop

bool quitRequested() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
            return true;
        }
    }
    return false;
}

// The frame rate of every second on standard error, in the viewer's words.
struct FrameCounter {
    Uint64 secondStarted = 0;
    int frames = 0;

    void count() {
        const Uint64 now = SDL_GetPerformanceCounter();
        ++frames;
        if (secondStarted == 0) {
            secondStarted = now;
        } else if (now - secondStarted >= SDL_GetPerformanceFrequency()) {
            const double seconds = static_cast<double>(now - secondStarted) /
                                   static_cast<double>(SDL_GetPerformanceFrequency());
            std::fprintf(stderr, "approx %.2ffps\n", frames / seconds);
            secondStarted = now;
            frames = 0;
        }
    }
};

SDL_Window* openWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16); // the viewer's depth buffer
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          window_layout::clientWidth, window_layout::clientHeight,
                                          SDL_WINDOW_OPENGL);
    if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) {
        return nullptr;
    }
    return window;
}

// The viewer's fixed state: depth test less-or-equal, clockwise front faces, back faces culled.
void setFixedState() {
    glViewport(0, 0, window_layout::clientWidth, window_layout::clientHeight);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glDisable(GL_DITHER);
    glClearColor(clearRed, clearGreen, clearBlue, 1.0f);
}

} // namespace

int main(int, char**) {
    SDL_Window* window = openWindow();
    LitProgram program;
    if (window == nullptr || !buildLitProgram(program)) {
        std::fprintf(stderr, "native_floor: no window, context or program: %s\n", SDL_GetError());
        return 1;
    }
    const ViewerState initial{};
    FloorMesh wall;
    FloorMesh model;
    if (!loadMesh("kabe.x", initial.wallPosition, wall) ||
        !loadMesh("model.x", initial.modelPosition, model)) {
        return 1;
    }
    const char* unpacedSetting = SDL_getenv("VIEWER_UNPACED");
    const bool unpaced = unpacedSetting != nullptr && std::string(unpacedSetting) == "1";
    SDL_GL_SetSwapInterval(unpaced ? 0 : 1);
    setFixedState();
    const Camera camera = initialCamera(initial);
    setLightUniforms(program, camera, initial);
    FrameCounter counter;
    while (!quitRequested()) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawMesh(program, camera, wall);
        drawMesh(program, camera, model);
        SDL_GL_SwapWindow(window);
        if (unpaced) {
            counter.count();
        }
    }
    return 0;
}
