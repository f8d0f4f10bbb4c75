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

// Moves and turns the model by this frame's steps, which the keyboard poll left in the state.
void applyModelSteps(ViewerState& state);

// The point the camera looks at: two units ahead of the eye along the heading, at the
// look-at height.
void updateLookAtPoint(ViewerState& state);

void setViewTransform(const Vector& eye, const Vector& target, const Vector& up);
void setProjectionTransform(float fovY, float aspect, float zNear, float zFar);
