#include "scene/frame.h"

#include "gfx/graphics.h"
#include "scene/frame_steps.h"
#include "scene/on_screen_text.h"
#include "scene/scene_objects.h"
#include "window/main_window.h"

namespace {

constexpr std::uint32_t clearColor = 0xFF3CA3B9;
constexpr ColorValue lightDiffuse = {0.2f, 0.2f, 0.2f, 0.2f};
constexpr ColorValue lightSpecular = {0.3f, 0.3f, 0.3f, 0.3f};
constexpr Vector lightDirection = {0.0f, -1.0f, 1.0f}; // down and away from the start camera

constexpr Vector cameraUp = {0.0f, 1.0f, 0.0f};
constexpr float fieldOfViewY = static_cast<float>(3.14159265358979323846 / 3.0);
// Square, although the picture is 592 × 576: the scene is stretched a little sideways.
constexpr float aspectRatio = 1.0f;
constexpr float nearPlane = 0.01f;
constexpr float farPlane = 2000.0f;
constexpr Vector wallRotation = {0.0f, 0.0f, 0.0f};

void drawFilter() {
    filterQuad->setColor(filterColor(viewerState));
    filterQuad->draw(
        static_cast<float>(viewerState.filterX), static_cast<float>(viewerState.filterY),
        static_cast<float>(viewerState.filterWidth), static_cast<float>(viewerState.filterHeight));
}

} // namespace

void setUpLight() {
    DirectionalLight light{};
    light.diffuse = lightDiffuse;
    light.specular = lightSpecular;
    light.ambient = {viewerState.ambientRed, viewerState.ambientGreen, viewerState.ambientBlue,
                     1.0f};
    light.direction = lightDirection;
    setLight(light);
}

void setViewTransform(const Vector& eye, const Vector& target, const Vector& up) {
    Matrix view{};
    matrixLookAtLH(view, eye, target, up);
    setViewMatrix(view);
}

void setProjectionTransform(float fovY, float aspect, float zNear, float zFar) {
    Matrix projection{};
    matrixPerspectiveFovLH(projection, fovY, aspect, zNear, zFar);
    setProjectionMatrix(projection);
}

void composeFrame() {
    setUpLight();
    wallMesh->draw(viewerState.wallPosition, wallRotation);
    applyModelSteps(viewerState);
    modelMesh->draw(viewerState.modelPosition, viewerState.modelRotation);
    drawFilter();
    // The camera is set after the meshes, so they are drawn with the previous frame's view.
    updateLookAtPoint(viewerState);
    setViewTransform(viewerState.eyePosition, viewerState.lookAtPoint, cameraUp);
    setProjectionTransform(fieldOfViewY, aspectRatio, nearPlane, farPlane);
    drawOnScreenText();
}

bool renderFrame() {
    beginFrame(clearColor);
    composeFrame();
    drawWindowControls();
    return endFrame({viewerState.filterX, viewerState.filterY, viewerState.filterWidth,
                     viewerState.filterHeight});
}
