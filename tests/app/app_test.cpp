#include "app/app.h"
#include "app/cursor.h"
#include "app/scene_objects.h"
#include "gfx/graphics_setup.h"
#include "scene/frame.h"
#include "state/keyboard_poll.h"
#include "state/viewer_state.h"
#include "window/main_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every service start-up, the frame and shutdown ask for, recorded in call order.
namespace {
std::vector<std::string> calls;
bool graphicsSucceed = true;
WindowHandle const fakeWindow = reinterpret_cast<WindowHandle>(0x1234);
} // namespace

ViewerState viewerState;
WindowHandle mainWindow = nullptr;

void createMainWindow() {
    calls.push_back("create window");
    mainWindow = fakeWindow;
}

bool setUpGraphics(WindowHandle window, int width, int height) {
    calls.push_back("set up graphics " + std::to_string(window == fakeWindow) + " " +
                    std::to_string(width) + "x" + std::to_string(height));
    return graphicsSucceed;
}

void showMouseCursor() {
    calls.push_back("show cursor");
}
void setUpLight() {
    calls.push_back("light");
}
void pollKeyboard() {
    calls.push_back("poll");
}
void renderFrame() {
    calls.push_back("render");
}
void composeFrame() {}

FilterQuad::FilterQuad() {
    calls.push_back("create filter");
}
bool FilterQuad::loadTexture(const char* fileName, std::uint32_t colorKey) {
    calls.push_back(std::string("filter texture ") + fileName + " " + std::to_string(colorKey));
    return true;
}
void FilterQuad::setColor(std::uint32_t) {}
void FilterQuad::draw(float, float, float, float) {}
void FilterQuad::release() {
    calls.push_back("release filter");
}

void MeshObject::load(const char* fileName) {
    calls.push_back(std::string("load ") + fileName);
}
void MeshObject::draw(const Vector&, const Vector&) {}
void MeshObject::release() {
    calls.push_back(std::string("release ") + (this == wallMesh ? "wall" : "model"));
}

namespace {

class StartUpAndShutdown : public ::testing::Test {
  protected:
    void SetUp() override {
        calls.clear();
        graphicsSucceed = true;
        mainWindow = nullptr;
        filterQuad = nullptr;
        wallMesh = nullptr;
        modelMesh = nullptr;
    }
};

TEST_F(StartUpAndShutdown, StartUpRunsInOrderWithTheWindowMadeFirst) {
    ASSERT_TRUE(startUp());
    const std::vector<std::string> expected = {
        "create window",
        "set up graphics 1 592x576",
        "show cursor",
        "create filter",
        "filter texture フィルター画像.bmp 0",
        "load kabe.x",
        "load model.x",
        "light",
    };
    EXPECT_EQ(expected, calls);
    EXPECT_STREQ("model.x", modelFileName);
    releaseScene();
}

TEST_F(StartUpAndShutdown, FailedGraphicsCreateNoSceneObject) {
    graphicsSucceed = false;
    EXPECT_FALSE(startUp());
    EXPECT_EQ((std::vector<std::string>{"create window", "set up graphics 1 592x576"}), calls);
    EXPECT_EQ(nullptr, filterQuad);
    EXPECT_EQ(nullptr, wallMesh);
    EXPECT_EQ(nullptr, modelMesh);
}

TEST_F(StartUpAndShutdown, ShutdownReleasesFilterThenWallThenModel) {
    ASSERT_TRUE(setUpScene());
    calls.clear();
    releaseScene();
    EXPECT_EQ((std::vector<std::string>{"release filter", "release wall", "release model"}), calls);
    EXPECT_EQ(nullptr, filterQuad);
}

TEST_F(StartUpAndShutdown, AFramePollsTheKeyboardBeforeDrawing) {
    runFrame();
    EXPECT_EQ((std::vector<std::string>{"poll", "render"}), calls);
}

} // namespace
