#include "app/app.h"
#include "app/cursor.h"
#include "app/idle_wait.h"
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
bool minimised = false;
std::vector<bool> presentsSucceed;     // per rendered frame; frames past the end succeed
std::vector<DeviceState> deviceStates; // per query; queries past the end find it ready
std::vector<bool> resetsSucceed;       // per reset; resets past the end succeed

template <typename Value> Value next(std::vector<Value>& script, Value otherwise) {
    if (script.empty()) {
        return otherwise;
    }
    const Value value = script.front();
    script.erase(script.begin());
    return value;
}
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
void releaseGraphics() {
    calls.push_back("release graphics");
}
DeviceState queryDeviceState() {
    return next(deviceStates, DeviceState::ready);
}
bool resetDeviceWithSameParameters() {
    calls.push_back("reset");
    return next(resetsSucceed, true);
}
FontHandle textFont = nullptr;
void fontOnLostDevice(FontHandle) {
    calls.push_back("font lost");
}
GraphicsResult fontOnResetDevice(FontHandle) {
    calls.push_back("font reset");
    return graphicsOk;
}
bool mainWindowIsMinimised() {
    return minimised;
}
void waitForMessageOrTimeout(int) {
    calls.push_back("wait");
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
void pollCommandKeys() {
    calls.push_back("poll Escape and Enter");
}
bool renderFrame() {
    calls.push_back("render");
    return next(presentsSucceed, true);
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
void FilterQuad::onLostDevice() {
    calls.push_back("filter buffer lost");
}
void FilterQuad::onResetDevice() {
    calls.push_back("filter buffer made");
}
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
        minimised = false;
        presentsSucceed.clear();
        deviceStates.clear();
        resetsSucceed.clear();
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
    EXPECT_EQ((std::vector<std::string>{"create window", "set up graphics 1 592x576",
                                        "release graphics"}),
              calls);
    EXPECT_EQ(nullptr, filterQuad);
    EXPECT_EQ(nullptr, wallMesh);
    EXPECT_EQ(nullptr, modelMesh);
}

TEST_F(StartUpAndShutdown, ShutdownReleasesFilterThenWallThenModel) {
    ASSERT_TRUE(setUpScene());
    calls.clear();
    releaseScene();
    EXPECT_EQ((std::vector<std::string>{"release filter", "release wall", "release model",
                                        "release graphics"}),
              calls);
    EXPECT_EQ(nullptr, filterQuad);
}

TEST_F(StartUpAndShutdown, AFramePollsTheKeyboardBeforeDrawing) {
    runFrame();
    EXPECT_EQ((std::vector<std::string>{"poll", "render"}), calls);
}

TEST_F(StartUpAndShutdown, AMinimisedWindowWaitsAndMovesNothing) {
    minimised = true;
    runFrame();
    EXPECT_EQ((std::vector<std::string>{"wait"}), calls);
}

// The device is lost at a present, stays lost for one pass, then can be reset: the default
// pool is emptied before the reset and filled after it, and only Escape and Enter are read
// until the picture is back.
TEST_F(StartUpAndShutdown, ALostDeviceIsResetAndDrawsAgain) {
    ASSERT_TRUE(setUpScene());
    calls.clear();
    presentsSucceed = {false};
    deviceStates = {DeviceState::lost, DeviceState::needsReset, DeviceState::needsReset};
    resetsSucceed = {false, true};
    for (int pass = 0; pass < 5; ++pass) {
        runFrame();
    }
    const std::vector<std::string> expected = {
        "poll",
        "render",
        "filter buffer lost",
        "font lost", // lost at a present
        "poll Escape and Enter",
        "wait", // still lost
        "reset",
        "poll Escape and Enter",
        "wait", // the reset fails
        "reset",
        "font reset",
        "filter buffer made",
        "poll",
        "render", // back
        "poll",
        "render",
    };
    EXPECT_EQ(expected, calls);
    releaseScene();
}

} // namespace
