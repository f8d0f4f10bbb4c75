// 4x4 float matrices with the Direct3D meaning: a point is a row vector multiplied on the left
// (p' = p × M), so a product A × B applies A first; the coordinate system is left-handed.
// Each function writes its result into a matrix the caller owns.
#pragma once

#include "state/viewer_state.h"

struct Matrix {
    float m[4][4];

    bool operator==(const Matrix&) const = default;
};

void matrixIdentity(Matrix& out);
void matrixTranslation(Matrix& out, float x, float y, float z);
void matrixRotationX(Matrix& out, float angle);
void matrixRotationY(Matrix& out, float angle);
void matrixRotationZ(Matrix& out, float angle);
// out = a × b; out may be a or b.
void matrixMultiply(Matrix& out, const Matrix& a, const Matrix& b);
// View matrix of a camera at eye looking at target, with up giving the vertical.
void matrixLookAtLH(Matrix& out, const Vector& eye, const Vector& target, const Vector& up);
// Projection onto depth 0 at zNear and 1 at zFar; fovY is the vertical field of view in
// radians and aspect the width divided by the height.
void matrixPerspectiveFovLH(Matrix& out, float fovY, float aspect, float zNear, float zFar);

// World = Rz × Rx × Ry × T: the mesh turns first about z, then x, then y, then moves.
void meshWorldMatrix(Matrix& world, const Vector& position, const Vector& rotation);
