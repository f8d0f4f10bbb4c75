// One frame of the scene: light, wall, model, filter, camera, texts.
#pragma once

#include "state/viewer_state.h"

// The whole frame: begin, clear, compose, end, present. False when the present found the
// device lost: nothing more can be drawn until it is reset.
bool renderFrame();

// The frame's content between the clear and the end of the scene.
void composeFrame();

// Hands the light, with the current ambient colour, to the device.
void setUpLight();

void setViewTransform(const Vector& eye, const Vector& target, const Vector& up);
void setProjectionTransform(float fovY, float aspect, float zNear, float zFar);
