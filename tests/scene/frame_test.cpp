#include "scene/frame.h"

#include "app/scene_objects.h"
#include "fakes/recording_graphics.h"
#include "gfx/graphics_setup.h"
#include "gfx/matrix_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

// The scene objects that start-up makes; here each test makes its own.
FilterQuad* filterQuad = nullptr;
MeshObject* wallMesh = nullptr;
MeshObject* modelMesh = nullptr;

namespace rg = recording_graphics;

namespace {

constexpr float quarterTurn = 1.5707964f;

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rg::reset();
        viewerState = ViewerState{};
        device = reinterpret_cast<DeviceHandle>(0xDE00);
        rg::script.meshFiles["kabe.x"] = rg::MeshFile{{{rg::distinctMaterial(0.1f), "kabe.bmp"}}};
        rg::script.meshFiles["model.x"] =
            rg::MeshFile{{{rg::distinctMaterial(0.2f), "a.bmp"}, {rg::distinctMaterial(0.3f), ""}}};
        wall.load("kabe.x");
        model.load("model.x");
        wallMesh = &wall;
        modelMesh = &model;
        filterQuad = &filter;
        rg::calls.clear();
    }

    void TearDown() override {
        wallMesh = nullptr;
        modelMesh = nullptr;
        filterQuad = nullptr;
    }

    // The matrices set for one transform state, in the order they were set.
    static std::vector<Matrix> transformsOf(TransformState state) {
        std::vector<Matrix> matrices;
        for (const rg::Call& call : rg::callsNamed("setTransform")) {
            if (call.values[1] == state) {
                matrices.push_back(call.matrix);
            }
        }
        return matrices;
    }

    MeshObject wall;
    MeshObject model;
    FilterQuad filter;
};

TEST_F(FrameTest, FrameRunsLightWallModelCameraInOrder) {
    renderFrame();
    const std::vector<std::string> expected = {
        "beginScene", "clear", "setLight", "lightEnable", "setRenderState", "setRenderState",
        // wall: one subset
        "setTransform", "setMaterial", "setTexture", "drawMeshSubset",
        // model: two subsets
        "setTransform", "setMaterial", "setTexture", "drawMeshSubset", "setMaterial", "setTexture",
        "drawMeshSubset",
        // filter
        "lockVertexBuffer", "unlockVertexBuffer", "setTextureStageState", "setTextureStageState",
        "setTextureStageState", "setRenderState", "setRenderState", "setRenderState", "setTexture",
        "setStreamSource", "setFvf", "drawPrimitive", "setRenderState",
        // camera, after the meshes
        "setTransform", "setTransform",
        // texts
        "drawFontText", "drawFontText", "drawFontText", "endScene", "present"};
    EXPECT_EQ(expected, rg::callNames());
    const std::set<std::string> notToTheDevice = {"drawMeshSubset", "lockVertexBuffer",
                                                  "unlockVertexBuffer", "drawFontText"};
    for (const rg::Call& call : rg::calls) {
        if (notToTheDevice.count(call.name) == 0) {
            EXPECT_EQ(0xDE00u, call.values.at(0)) << call.name << " goes to the device";
        }
    }
}

TEST_F(FrameTest, FilterIsDrawnWithTheStateColourAndRectangle) {
    viewerState.filterX = -7;
    viewerState.filterY = 32767;
    viewerState.filterWidth = 65535;
    viewerState.filterHeight = 3;
    viewerState.filterAlpha = 8;
    viewerState.filterRed = 1;
    renderFrame();
    const std::string uploaded = rg::callsNamed("unlockVertexBuffer").at(0).text;
    FilterVertex corners[4];
    std::memcpy(corners, uploaded.data(), sizeof corners);
    EXPECT_EQ(-7.0f, corners[0].x);
    EXPECT_EQ(32767.0f, corners[0].y);
    EXPECT_EQ(-7.0f + 65535.0f, corners[3].x) << "width is unsigned";
    EXPECT_EQ(32770.0f, corners[3].y);
    for (const FilterVertex& corner : corners) {
        EXPECT_EQ(0x0801FAFAu, corner.color);
    }
}

TEST_F(FrameTest, ClearsTargetAndDepthToTheBackgroundColour) {
    renderFrame();
    const rg::Call clear = rg::callsNamed("clear").at(0);
    EXPECT_EQ(3u, clear.values[1]);
    EXPECT_EQ(0xFF3CA3B9u, clear.values[2]);
    EXPECT_EQ(0u, clear.values[3]);
    EXPECT_EQ(std::vector<float>{1.0f}, clear.floats);
}

TEST_F(FrameTest, LightIsADirectionalLightAtIndexTwoWithTheStateAmbient) {
    viewerState.ambientRed = 0.5f;
    viewerState.ambientGreen = 0.25f;
    viewerState.ambientBlue = 0.05f;
    setUpLight();

    Light expected{};
    expected.type = 3;
    expected.diffuse = {0.2f, 0.2f, 0.2f, 0.2f};
    expected.specular = {0.3f, 0.3f, 0.3f, 0.3f};
    expected.ambient = {0.5f, 0.25f, 0.05f, 1.0f};
    expected.direction = {0.0f, -1.0f, 1.0f};
    const rg::Call light = rg::callsNamed("setLight").at(0);
    EXPECT_EQ(2u, light.values[1]);
    EXPECT_EQ(expected, light.light);

    const rg::Call enable = rg::callsNamed("lightEnable").at(0);
    EXPECT_EQ(2u, enable.values[1]);
    EXPECT_EQ(1u, enable.values[2]);
    const std::vector<rg::Call> states = rg::callsNamed("setRenderState");
    ASSERT_EQ(2u, states.size());
    EXPECT_EQ((std::vector<std::uintptr_t>{0xDE00, 29, 1}), states[0].values);  // specular
    EXPECT_EQ((std::vector<std::uintptr_t>{0xDE00, 137, 1}), states[1].values); // lighting
}

TEST_F(FrameTest, WallStandsUnturnedAtItsPositionAndTheModelIsDrawnAfterItsSteps) {
    viewerState.wallPosition.y = 3.0f;
    viewerState.modelRotation = {0.0f, 0.0f, quarterTurn - 0.5f};
    viewerState.spinZStep = 0.5f;
    viewerState.riseStep = 0.25f;
    renderFrame();

    const std::vector<Matrix> worlds = transformsOf(transformWorld);
    ASSERT_EQ(2u, worlds.size());
    Matrix wallWorld{};
    matrixTranslation(wallWorld, 0.0f, 3.0f, 0.0f);
    EXPECT_EQ(wallWorld, worlds[0]);
    // This frame's quarter turn about z and rise are in the model's matrix.
    expectNear({0.0f, 3.83f, 0.0f}, transformPoint(worlds[1], {1, 0, 0}));
}

TEST_F(FrameTest, CameraIsSetFromTheStateAfterTheMeshes) {
    renderFrame();
    const int modelDraw = rg::indexOf("drawMeshSubset", rg::indexOf("drawMeshSubset") + 1);
    const std::vector<Matrix> views = transformsOf(transformView);
    const std::vector<Matrix> projections = transformsOf(transformProjection);
    ASSERT_EQ(1u, views.size());
    ASSERT_EQ(1u, projections.size());
    // The view and then the projection are the last two transforms, after every mesh draw.
    const std::vector<rg::Call> transforms = rg::callsNamed("setTransform");
    EXPECT_EQ(transformView, transforms[2].values[1]);
    EXPECT_EQ(transformProjection, transforms[3].values[1]);
    EXPECT_LT(modelDraw, rg::indexOf("setTransform", modelDraw));

    // Start camera: eye (0, 3, -3) looking at (0, 2.4, -1).
    expectNear({0, 0, 0}, transformPoint(views[0], {0.0f, 3.0f, -3.0f}));
    expectNear({0, 0, 2.0880613f}, transformPoint(views[0], {0.0f, 2.4f, -1.0f}));

    const Matrix& p = projections[0];
    EXPECT_NEAR(1.7320508f, p.m[0][0], 1e-6f); // 60° and a square aspect
    EXPECT_NEAR(1.7320508f, p.m[1][1], 1e-6f);
    EXPECT_NEAR(2000.0f / (2000.0f - 0.01f), p.m[2][2], 1e-6f);
    EXPECT_NEAR(-0.01f * 2000.0f / (2000.0f - 0.01f), p.m[3][2], 1e-9f);
}

TEST_F(FrameTest, EachFrameSetsTheCameraOfItsOwnState) {
    renderFrame();
    viewerState.viewHeading = quarterTurn;
    renderFrame();
    const std::vector<Matrix> views = transformsOf(transformView);
    ASSERT_EQ(2u, views.size());
    EXPECT_NE(views[0], views[1]);
    // The second frame's camera looks along +x, at (2, 2.4, -3).
    expectNear({0, 0, 2.0880613f}, transformPoint(views[1], {2.0f, 2.4f, -3.0f}));
}

TEST_F(FrameTest, LookAtPointIsTwoUnitsAheadAtTheLookAtHeight) {
    updateLookAtPoint(viewerState);
    EXPECT_EQ((Vector{0.0f, 2.4f, -1.0f}), viewerState.lookAtPoint);

    viewerState.viewHeading = quarterTurn;
    viewerState.lookAtHeight = 3.5f;
    viewerState.eyePosition = {1.0f, 3.0f, 1.0f};
    updateLookAtPoint(viewerState);
    expectNear({3.0f, 3.5f, 1.0f}, viewerState.lookAtPoint, 1e-6f);
}

TEST_F(FrameTest, WithoutStepsTheModelStaysExactlyWhereItIs) {
    viewerState.modelPosition = {0.1f, 0.2f, 0.3f};
    viewerState.modelRotation = {0.4f, 0.5f, 0.6f};
    viewerState.viewHeading = 0.7f;
    const ViewerState before = viewerState;
    applyModelSteps(viewerState);
    EXPECT_EQ(before, viewerState);
}

// The model moves along the camera's heading, whatever its own rotation.
TEST_F(FrameTest, ModelStepFollowsTheCameraHeading) {
    viewerState.modelRotation.y = quarterTurn;
    viewerState.modelStep = 0.03f;
    applyModelSteps(viewerState);
    EXPECT_EQ(0.0f, viewerState.modelPosition.x);
    EXPECT_EQ(0.03f, viewerState.modelPosition.z);

    viewerState.modelPosition = {0.0f, 2.58f, 0.0f};
    viewerState.viewHeading = quarterTurn;
    applyModelSteps(viewerState);
    EXPECT_FLOAT_EQ(0.03f, viewerState.modelPosition.x);
    EXPECT_NEAR(0.0f, viewerState.modelPosition.z, 1e-8f);
    EXPECT_EQ(2.58f, viewerState.modelPosition.y);
}

TEST_F(FrameTest, EachStepGoesToItsOwnComponentOnce) {
    viewerState.spinXStep = 0.02f;
    viewerState.spinYStep = -0.02f;
    viewerState.spinZStep = 0.04f;
    viewerState.riseStep = -0.03f;
    composeFrame();
    EXPECT_EQ((Vector{0.02f, -0.02f, 0.04f}), viewerState.modelRotation);
    EXPECT_EQ(2.58f - 0.03f, viewerState.modelPosition.y);
}

// The product and sum are formed in double precision and rounded once; with these values
// float arithmetic, or a product rounded before the sum, gives other results for x and z.
TEST_F(FrameTest, HeadingMoveIsRoundedOnceFromDoublePrecision) {
    viewerState.viewHeading = 0.6f;
    viewerState.modelStep = 0.03f;
    viewerState.modelPosition = {0.05f, 2.58f, 0.05f};
    applyModelSteps(viewerState);
    const double step = 0.03f;
    const double heading = 0.6f;
    EXPECT_EQ(static_cast<float>(0.05f + step * std::sin(heading)), viewerState.modelPosition.x);
    EXPECT_EQ(static_cast<float>(0.05f + step * std::cos(heading)), viewerState.modelPosition.z);
}

TEST_F(FrameTest, AnEmptyModelDoesNotStopTheFrame) {
    MeshObject empty;
    empty.load("missing.x");
    modelMesh = &empty;
    rg::calls.clear();
    renderFrame();
    EXPECT_EQ(1u, rg::callsNamed("drawMeshSubset").size()); // the wall's only subset
    EXPECT_EQ(4u, rg::callsNamed("setTransform").size());
    EXPECT_EQ("present", rg::calls.back().name);
}

} // namespace
