// Helpers for tests that check matrices by what they do to points.
#pragma once

#include "gfx/matrix.h"

#include <gtest/gtest.h>

// p × M for the row vector (p, 1), without the division by w.
inline Vector transformPoint(const Matrix& matrix, const Vector& p) {
    const float in[4] = {p.x, p.y, p.z, 1.0f};
    float out[3] = {};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 4; ++row) {
            out[column] += in[row] * matrix.m[row][column];
        }
    }
    return {out[0], out[1], out[2]};
}

inline void expectNear(const Vector& expected, const Vector& actual, float tolerance = 1e-5f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}
