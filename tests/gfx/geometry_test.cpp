// Geometry that the picture depends on but no screenshot pins down exactly: the matrices with
// the Direct3D meaning (row vectors, left-handed), the model's turn order, its steps along the
// camera heading and the camera's look-at point.
#include "gfx/matrix.h"
#include "scene/frame_steps.h"

#include <gtest/gtest.h>

namespace {

constexpr float quarterTurn = 1.5707964f;

// p × M for the row vector (p, 1), divided by w when asked.
Vector transform(const Matrix& m, const Vector& p, bool divideByW = false) {
    const float in[4] = {p.x, p.y, p.z, 1.0f};
    float out[4] = {};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            out[column] += in[row] * m.m[row][column];
        }
    }
    const float w = divideByW ? out[3] : 1.0f;
    return {out[0] / w, out[1] / w, out[2] / w};
}

void expectNear(const Vector& expected, const Vector& actual) {
    EXPECT_NEAR(expected.x, actual.x, 1e-5f);
    EXPECT_NEAR(expected.y, actual.y, 1e-5f);
    EXPECT_NEAR(expected.z, actual.z, 1e-5f);
}

// The model's matrix is the product of the three quarter turns and the move, each factor its
// own left-handed matrix: a turn of the wrong hand, a product in the wrong order or one that
// overwrites its input while reading it moves one of the two points.
TEST(Geometry, ModelTurnsLeftHandedAboutZThenXThenYThenMoves) {
    Matrix world{};
    meshWorldMatrix(world, {1.0f, 2.0f, 3.0f}, {quarterTurn, quarterTurn, quarterTurn});
    // (1,0,0) turns to (0,1,0) about z, to (0,0,1) about x, to (1,0,0) about y, then moves.
    expectNear({2, 2, 3}, transform(world, {1, 0, 0}));
    expectNear({1, 2, 4}, transform(world, {0, 1, 0})); // (-1,0,0), (-1,0,0), (0,0,1)
    // Each turn by its own angle: a half turn about x, none about y.
    meshWorldMatrix(world, {1.0f, 2.0f, 3.0f}, {2 * quarterTurn, 0.0f, quarterTurn});
    expectNear({1, 1, 3}, transform(world, {1, 0, 0})); // (0,1,0), (0,-1,0), (0,-1,0)
    expectNear({1, 2, 2}, transform(world, {0, 0, 1})); // (0,0,1), (0,0,-1), (0,0,-1)
}

TEST(Geometry, CameraLooksTwoUnitsAheadThroughADepthRangeOfZeroToOne) {
    ViewerState state;
    updateLookAtPoint(state);
    EXPECT_EQ((Vector{0.0f, 2.4f, -1.0f}), state.lookAtPoint);

    Matrix view{};
    matrixLookAtLH(view, state.eyePosition, state.lookAtPoint, {0, 1, 0});
    expectNear({0, 0, 0}, transform(view, state.eyePosition));
    expectNear({0, 0, 2.0880613f}, transform(view, state.lookAtPoint)); // |(0, -0.6, 2)|
    matrixLookAtLH(view, {0, 0, 0}, {2, 0, 0}, {0, 1, 0});
    expectNear({1, 0, 0}, transform(view, {0, 0, -1}));

    Matrix projection{};
    matrixPerspectiveFovLH(projection, quarterTurn, 2.0f, 1.0f, 10.0f);
    expectNear({0.5f, 1.0f, 0.0f}, transform(projection, {1, 1, 1}, true));
    EXPECT_NEAR(1.0f, transform(projection, {0, 0, 10}, true).z, 1e-6f);
}

TEST(Geometry, ModelStepsFollowTheHeadingRoundedOnceFromDoublePrecision) {
    ViewerState state;
    state.viewHeading = 0.6f;
    state.modelStep = 0.03f;
    state.riseStep = -0.03f;
    state.spinZStep = 0.04f;
    state.spinXStep = 0.02f;
    state.spinYStep = -0.01f;
    state.modelPosition = {0.05f, 2.58f, 0.05f};
    applyModelSteps(state);
    EXPECT_EQ(0.066939272f, state.modelPosition.x) << "0.0669392794 in float";
    EXPECT_EQ(0.0747600719f, state.modelPosition.z);
    EXPECT_EQ(2.58f - 0.03f, state.modelPosition.y);
    EXPECT_EQ((Vector{0.02f, -0.01f, 0.04f}), state.modelRotation);
}

} // namespace
