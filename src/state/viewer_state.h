// The one record of every value the user adjusts from the keyboard and that the frame, the
// on-screen text and the capture read. It holds its initial values before start-up and is
// read and written directly; nothing in it is saved between runs.
#pragma once

#include <cstdint>

struct Vector {
    float x;
    float y;
    float z;

    bool operator==(const Vector&) const = default;
};

struct ViewerState {
    std::uint16_t captureCounter = 0;
    std::uint16_t filterRed = 250;
    std::uint16_t filterGreen = 250;
    std::uint16_t filterBlue = 250;
    float ambientRed = 0.99f;
    float ambientGreen = 0.99f;
    float ambientBlue = 0.99f;
    std::uint16_t ambientRedPercent = 99;
    std::uint16_t ambientGreenPercent = 99;
    std::uint16_t ambientBluePercent = 99;
    std::uint16_t filterAlpha = 200;
    std::uint16_t filterHeight = 50;
    std::uint16_t filterWidth = 50;
    std::int16_t filterX = 20;
    std::int16_t filterY = 20;
    std::int32_t backBufferWidth = 592;
    std::int32_t backBufferHeight = 576;
    Vector wallPosition = {0.0f, 2.4f, 0.0f};
    Vector modelPosition = {0.0f, 2.58f, 0.0f};
    Vector lookAtPoint = {0.0f, 0.0f, 0.0f}; // recomputed by every frame before it is used
    Vector eyePosition = {0.0f, 3.0f, -3.0f};
    Vector modelRotation = {0.0f, 0.0f, 0.0f};
    // This frame's model and camera motions, set by the keyboard poll and applied once.
    float spinYStep = 0.0f;
    float eyeStep = 0.0f;
    float modelStep = 0.0f;
    float spinZStep = 0.0f;
    float riseStep = 0.0f;
    float spinXStep = 0.0f;
    float lookAtHeight = 2.4f;
    float viewHeading = 0.0f; // radians; 0 looks along +z, growing turns toward +x
    std::uint16_t enterHoldCounter = 0;

    bool operator==(const ViewerState&) const = default;
};

extern ViewerState viewerState;

// The filter colour as 32-bit ARGB: alpha in the top byte, then red, green and blue.
std::uint32_t filterColor(const ViewerState& state);
