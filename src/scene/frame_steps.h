// The frame's motion arithmetic: the model's steps and the camera's look-at point. Pure
// arithmetic on the viewer state, worked in double precision where a sine or cosine enters.
#pragma once

#include "state/viewer_state.h"

// Moves and turns the model by this frame's steps, which the keyboard poll left in the state.
void applyModelSteps(ViewerState& state);

// The point the camera looks at: two units ahead of the eye along the heading, at the
// look-at height.
void updateLookAtPoint(ViewerState& state);
