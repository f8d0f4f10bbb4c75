#include "scene/frame_steps.h"

#include <cmath>

namespace {

constexpr double lookAtDistance = 2.0;

// Sums of a float and a double-precision term, stored back as a float.
float plus(float value, double term) {
    return static_cast<float>(value + term);
}

} // namespace

void applyModelSteps(ViewerState& state) {
    const double heading = state.viewHeading;
    state.modelRotation.z = plus(state.modelRotation.z, state.spinZStep);
    state.modelRotation.x = plus(state.modelRotation.x, state.spinXStep);
    state.modelPosition.x =
        plus(state.modelPosition.x, static_cast<double>(state.modelStep) * std::sin(heading));
    state.modelPosition.z =
        plus(state.modelPosition.z, static_cast<double>(state.modelStep) * std::cos(heading));
    state.modelPosition.y = plus(state.modelPosition.y, state.riseStep);
    state.modelRotation.y = plus(state.modelRotation.y, state.spinYStep);
}

void updateLookAtPoint(ViewerState& state) {
    const double heading = state.viewHeading;
    state.lookAtPoint.y = state.lookAtHeight;
    state.lookAtPoint.x = plus(state.eyePosition.x, lookAtDistance * std::sin(heading));
    state.lookAtPoint.z = plus(state.eyePosition.z, lookAtDistance * std::cos(heading));
}
