#include "gfx/matrix.h"

#include <cmath>

namespace {

Vector subtract(const Vector& a, const Vector& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const Vector& a, const Vector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector normalized(const Vector& v) {
    const float length = std::sqrt(dot(v, v));
    if (length == 0.0f) {
        return v;
    }
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

void matrixIdentity(Matrix& out) {
    out = Matrix{};
    for (int i = 0; i < 4; ++i) {
        out.m[i][i] = 1.0f;
    }
}

void matrixTranslation(Matrix& out, float x, float y, float z) {
    matrixIdentity(out);
    out.m[3][0] = x;
    out.m[3][1] = y;
    out.m[3][2] = z;
}

void matrixRotationX(Matrix& out, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    matrixIdentity(out);
    out.m[1][1] = c;
    out.m[1][2] = s;
    out.m[2][1] = -s;
    out.m[2][2] = c;
}

void matrixRotationY(Matrix& out, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    matrixIdentity(out);
    out.m[0][0] = c;
    out.m[0][2] = -s;
    out.m[2][0] = s;
    out.m[2][2] = c;
}

void matrixRotationZ(Matrix& out, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    matrixIdentity(out);
    out.m[0][0] = c;
    out.m[0][1] = s;
    out.m[1][0] = -s;
    out.m[1][1] = c;
}

void matrixMultiply(Matrix& out, const Matrix& a, const Matrix& b) {
    // Built in a local so that out may be one of the inputs.
    Matrix product{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[row][k] * b.m[k][column];
            }
            product.m[row][column] = sum;
        }
    }
    out = product;
}

void matrixLookAtLH(Matrix& out, const Vector& eye, const Vector& target, const Vector& up) {
    const Vector zAxis = normalized(subtract(target, eye));
    const Vector xAxis = normalized(cross(up, zAxis));
    const Vector yAxis = cross(zAxis, xAxis);
    out = Matrix{{{xAxis.x, yAxis.x, zAxis.x, 0.0f},
                  {xAxis.y, yAxis.y, zAxis.y, 0.0f},
                  {xAxis.z, yAxis.z, zAxis.z, 0.0f},
                  {-dot(xAxis, eye), -dot(yAxis, eye), -dot(zAxis, eye), 1.0f}}};
}

void matrixPerspectiveFovLH(Matrix& out, float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    const float depthScale = zFar / (zFar - zNear);
    out = Matrix{{{xScale, 0.0f, 0.0f, 0.0f},
                  {0.0f, yScale, 0.0f, 0.0f},
                  {0.0f, 0.0f, depthScale, 1.0f},
                  {0.0f, 0.0f, -zNear * depthScale, 0.0f}}};
}

void meshWorldMatrix(Matrix& world, const Vector& position, const Vector& rotation) {
    Matrix step{};
    matrixRotationZ(world, rotation.z);
    matrixRotationX(step, rotation.x);
    matrixMultiply(world, world, step);
    matrixRotationY(step, rotation.y);
    matrixMultiply(world, world, step);
    matrixTranslation(step, position.x, position.y, position.z);
    matrixMultiply(world, world, step);
}
