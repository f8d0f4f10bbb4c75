#include "gfx/matrix.h"

#include "gfx/matrix_checks.h"

#include <gtest/gtest.h>

namespace {

constexpr float quarterTurn = 1.5707964f;

TEST(Matrix, TranslationMovesPointsAndIsStoredInTheLastRow) {
    Matrix t{};
    matrixTranslation(t, 1.0f, -2.0f, 3.5f);
    expectNear({1.5f, -1.0f, 3.5f}, transformPoint(t, {0.5f, 1.0f, 0.0f}));
    EXPECT_EQ(1.0f, t.m[3][0]);
    EXPECT_EQ(-2.0f, t.m[3][1]);
    EXPECT_EQ(3.5f, t.m[3][2]);
    EXPECT_EQ(1.0f, t.m[3][3]);
}

// Left-handed quarter turns: looking from the positive end of the axis toward the origin, a
// positive angle turns clockwise.
TEST(Matrix, QuarterTurnsAboutEachAxis) {
    Matrix r{};
    matrixRotationX(r, quarterTurn);
    expectNear({0, 0, 1}, transformPoint(r, {0, 1, 0}));
    expectNear({0, -1, 0}, transformPoint(r, {0, 0, 1}));

    matrixRotationY(r, quarterTurn);
    expectNear({0, 0, -1}, transformPoint(r, {1, 0, 0}));
    expectNear({1, 0, 0}, transformPoint(r, {0, 0, 1}));

    matrixRotationZ(r, quarterTurn);
    expectNear({0, 1, 0}, transformPoint(r, {1, 0, 0}));
    expectNear({-1, 0, 0}, transformPoint(r, {0, 1, 0}));
}

TEST(Matrix, RotationByZeroIsIdentity) {
    Matrix identity{};
    matrixIdentity(identity);
    Matrix r{};
    matrixRotationX(r, 0.0f);
    EXPECT_EQ(identity, r);
    matrixRotationY(r, 0.0f);
    EXPECT_EQ(identity, r);
    matrixRotationZ(r, 0.0f);
    EXPECT_EQ(identity, r);
}

TEST(Matrix, ProductAppliesTheLeftFactorFirst) {
    Matrix turn{};
    matrixRotationZ(turn, quarterTurn);
    Matrix move{};
    matrixTranslation(move, 5.0f, 0.0f, 0.0f);

    Matrix turnThenMove{};
    matrixMultiply(turnThenMove, turn, move);
    expectNear({5, 1, 0}, transformPoint(turnThenMove, {1, 0, 0}));

    Matrix moveThenTurn{};
    matrixMultiply(moveThenTurn, move, turn);
    expectNear({0, 6, 0}, transformPoint(moveThenTurn, {1, 0, 0}));
}

TEST(Matrix, ProductMayBeWrittenOverEitherInput) {
    Matrix a{};
    matrixRotationX(a, 0.3f);
    Matrix b{};
    matrixTranslation(b, 1.0f, 2.0f, 3.0f);
    Matrix expected{};
    matrixMultiply(expected, a, b);

    Matrix left = a;
    matrixMultiply(left, left, b);
    EXPECT_EQ(expected, left);

    Matrix right = b;
    matrixMultiply(right, a, right);
    EXPECT_EQ(expected, right);
}

TEST(Matrix, LookAtPutsTheEyeAtTheOriginAndTheTargetAhead) {
    Matrix view{};
    const Vector eye = {0.0f, 3.0f, -3.0f};
    const Vector target = {0.0f, 2.4f, -1.0f};
    matrixLookAtLH(view, eye, target, {0, 1, 0});
    expectNear({0, 0, 0}, transformPoint(view, eye));
    // |(0, -0.6, 2)| = sqrt(4.36)
    expectNear({0, 0, 2.0880613f}, transformPoint(view, target));
    // The camera looks down, so a point straight above the eye is up and a little behind it.
    expectNear({0, 0.9578263f, -0.2873479f}, transformPoint(view, {0.0f, 4.0f, -3.0f}));
}

TEST(Matrix, LookAtAlongPlusXHasMinusZOnTheRight) {
    Matrix view{};
    matrixLookAtLH(view, {0, 0, 0}, {2, 0, 0}, {0, 1, 0});
    expectNear({0, 0, 1}, transformPoint(view, {1, 0, 0}));
    expectNear({1, 0, 0}, transformPoint(view, {0, 0, -1}));
    expectNear({0, 1, 0}, transformPoint(view, {0, 1, 0}));
}

TEST(Matrix, PerspectiveMapsNearToDepthZeroAndFarToOne) {
    Matrix projection{};
    matrixPerspectiveFovLH(projection, 1.0471976f, 1.0f, 0.01f, 2000.0f);
    EXPECT_NEAR(1.7320508f, projection.m[0][0], 1e-6f); // cot(30°)
    EXPECT_NEAR(1.7320508f, projection.m[1][1], 1e-6f);
    EXPECT_EQ(1.0f, projection.m[2][3]);
    EXPECT_EQ(0.0f, projection.m[3][3]);

    // Depth after the division by w, which equals the view-space z.
    const auto depthAt = [&](float z) { return transformPoint(projection, {0, 0, z}).z / z; };
    EXPECT_NEAR(0.0f, depthAt(0.01f), 1e-6f);
    EXPECT_NEAR(1.0f, depthAt(2000.0f), 1e-6f);
}

TEST(Matrix, PerspectiveNarrowsXByTheAspectRatio) {
    Matrix projection{};
    matrixPerspectiveFovLH(projection, 1.5707964f, 2.0f, 1.0f, 10.0f);
    EXPECT_NEAR(1.0f, projection.m[1][1], 1e-6f); // cot(45°)
    EXPECT_NEAR(0.5f, projection.m[0][0], 1e-6f);
    EXPECT_NEAR(10.0f / 9.0f, projection.m[2][2], 1e-6f);
    EXPECT_NEAR(-10.0f / 9.0f, projection.m[3][2], 1e-6f);
}

} // namespace
