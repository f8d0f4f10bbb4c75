#include "state/keyboard_poll.h"

#include "capture/capture.h"
#include "state/key_state_source.h"
#include "state/quit_request.h"
#include "state/viewer_state.h"
#include "state/virtual_keys.h"

#include <cmath>
#include <cstdint>

// The order of the keys matters: a pair read with "else" lets its first key win, a pair read
// with "then" lets both act in turn, and each clamp follows right after the keys it bounds.
// Steps are single-precision sums; moves through a sine or cosine are worked out in double
// precision and stored as float.

namespace {

constexpr float eyeStepSize = 0.04f;
constexpr float modelStepSize = 0.03f;
constexpr float riseStepSize = 0.03f;
constexpr float spinStepSize = 0.02f;
constexpr float headingStep = 0.01f;
constexpr float lookAtHeightStep = 0.01f;
constexpr float wallAndModelHeightStep = 0.02f;
constexpr float ambientStep = 0.01f;
constexpr float ambientMaximum = 1.0f;
constexpr float ambientMinimum = 0.05f;
constexpr float lookAtHeightMinimum = 2.0f;
constexpr float lookAtHeightMaximum = 4.0f;
constexpr float eyeSidewaysDistance = 0.03f;
constexpr float modelSidewaysDistance = 0.02f;
constexpr double sidewaysAngle = 1.57; // deliberately not pi/2
constexpr int filterMoveStep = 3;
constexpr std::uint16_t smallestFilterSide = 3;

// While Enter stays down the counter sits at 3 or more, so a press captures exactly once and
// the 16-bit counter can never wrap back into the capturing range.
constexpr std::uint16_t enterCapturingBelow = 3;
constexpr std::uint16_t enterHoldIncrement = 2;

bool queued(int key) {
    return isKeyDownQueued(key);
}
bool async(int key) {
    return isKeyDownAsync(key);
}

void addWrapped(std::uint16_t& field, int amount) {
    field = static_cast<std::uint16_t>(field + amount);
}

void addWrapped(std::int16_t& field, int amount) {
    field = static_cast<std::int16_t>(field + amount);
}

void handleEscape() {
    if (queued(vk::escape)) {
        requestQuit(0);
    }
}

void handleEnter(ViewerState& s) {
    if (!queued(vk::enter)) {
        s.enterHoldCounter = 0;
        return;
    }
    if (s.enterHoldCounter < enterCapturingBelow) {
        s.enterHoldCounter += enterHoldIncrement;
        if (s.enterHoldCounter < enterCapturingBelow) {
            captureFilterArea();
        }
    }
}

void clearSteps(ViewerState& s) {
    s.eyeStep = 0.0f;
    s.riseStep = 0.0f;
    s.spinXStep = 0.0f;
    s.modelStep = 0.0f;
    s.spinYStep = 0.0f;
    s.spinZStep = 0.0f;
}

// Reads an "else" pair: the second key is asked only when the first is up, so the first wins.
void stepFirstOf(float& value, int firstKey, float firstStep, int secondKey, float secondStep) {
    if (queued(firstKey)) {
        value += firstStep;
    } else if (queued(secondKey)) {
        value += secondStep;
    }
}

// Reads a "then" pair: both keys are asked and both act, in turn.
template <typename Field>
void stepEach(Field& field, int firstKey, int firstStep, int secondKey, int secondStep) {
    if (async(firstKey)) {
        addWrapped(field, firstStep);
    }
    if (async(secondKey)) {
        addWrapped(field, secondStep);
    }
}

void moveAndResizeFilter(ViewerState& s) {
    constexpr int step = filterMoveStep;
    stepEach(s.filterX, vk::key('D'), step, vk::key('A'), -step);
    stepEach(s.filterY, vk::key('W'), -step, vk::key('S'), step);
    stepEach(s.filterWidth, vk::key('Q'), -step, vk::key('E'), step);
    stepEach(s.filterHeight, vk::key('Z'), -step, vk::key('C'), step);
    if (s.filterWidth < smallestFilterSide + 1) {
        s.filterWidth = smallestFilterSide;
    }
    if (s.filterHeight < smallestFilterSide + 1) {
        s.filterHeight = smallestFilterSide;
    }
}

// The first key lowers, the second raises; the shown number follows its float step for step
// and is set with it at the clamps (to 1, not 5, at the bottom).
void adjustAmbient(float& value, std::uint16_t& percent, int lowerKey, int raiseKey) {
    if (async(lowerKey)) {
        addWrapped(percent, -1);
        value -= ambientStep;
    }
    if (async(raiseKey)) {
        addWrapped(percent, 1);
        value += ambientStep;
    }
    if (value > ambientMaximum) {
        value = ambientMaximum;
        percent = 100;
    }
    if (value < ambientMinimum) {
        value = ambientMinimum;
        percent = 1;
    }
}

void adjustChannel(std::uint16_t& channel, int lowerKey, int raiseKey, std::uint16_t minimum) {
    if (async(lowerKey)) {
        addWrapped(channel, -1);
    }
    if (async(raiseKey)) {
        addWrapped(channel, 1);
    }
    if (channel > 254) {
        channel = 255;
    }
    if (channel < minimum + 1) {
        channel = minimum;
    }
}

void adjustFilterColorAndLight(ViewerState& s) {
    adjustAmbient(s.ambientRed, s.ambientRedPercent, vk::key('8'), vk::key('I'));
    adjustAmbient(s.ambientGreen, s.ambientGreenPercent, vk::key('9'), vk::key('O'));
    adjustAmbient(s.ambientBlue, s.ambientBluePercent, vk::key('0'), vk::key('P'));
    adjustChannel(s.filterAlpha, vk::key('7'), vk::key('U'), 8);
    adjustChannel(s.filterRed, vk::key('1'), vk::key('2'), 1);
    adjustChannel(s.filterGreen, vk::key('3'), vk::key('4'), 1);
    adjustChannel(s.filterBlue, vk::key('5'), vk::key('6'), 1);
}

// Moves a point in the horizontal plane by distance along the given angle, in double
// precision, x first and then z.
void moveAlong(Vector& point, double angle, float distance) {
    point.x = static_cast<float>(point.x + double{distance} * std::sin(angle));
    point.z = static_cast<float>(point.z + double{distance} * std::cos(angle));
}

void moveSideways(ViewerState& s) {
    const double heading = s.viewHeading;
    if (queued(vk::numpad6)) {
        moveAlong(s.eyePosition, heading + sidewaysAngle, eyeSidewaysDistance);
    } else if (queued(vk::numpad4)) {
        moveAlong(s.eyePosition, heading - sidewaysAngle, eyeSidewaysDistance);
    } else if (queued(vk::numpad7)) {
        moveAlong(s.modelPosition, heading + sidewaysAngle, modelSidewaysDistance);
    } else if (queued(vk::numpad3)) {
        moveAlong(s.modelPosition, heading - sidewaysAngle, modelSidewaysDistance);
    }
}

void setModelSteps(ViewerState& s) {
    stepFirstOf(s.riseStep, vk::numpadAdd, riseStepSize, vk::numpadSubtract, -riseStepSize);
    stepFirstOf(s.spinZStep, vk::leftShift, spinStepSize, vk::rightShift, -spinStepSize);
    stepFirstOf(s.spinXStep, vk::leftControl, spinStepSize, vk::rightControl, -spinStepSize);
    stepFirstOf(s.spinYStep, vk::numpadDivide, spinStepSize, vk::numpadMultiply, -spinStepSize);
}

void raiseOrLowerScene(ViewerState& s) {
    if (queued(vk::pageUp)) {
        s.wallPosition.y -= wallAndModelHeightStep;
        s.modelPosition.y -= wallAndModelHeightStep;
    } else if (queued(vk::pageDown)) {
        s.wallPosition.y += wallAndModelHeightStep;
        s.modelPosition.y += wallAndModelHeightStep;
    }
    if (s.lookAtHeight < lookAtHeightMinimum) {
        s.lookAtHeight = lookAtHeightMinimum;
    }
    if (s.lookAtHeight > lookAtHeightMaximum) {
        s.lookAtHeight = lookAtHeightMaximum;
    }
}

} // namespace

void pollKeyboard() {
    ViewerState& s = viewerState;
    sampleKeyboard();
    handleEscape();
    handleEnter(s);
    clearSteps(s);
    stepFirstOf(s.eyeStep, vk::numpad2, -eyeStepSize, vk::numpad8, eyeStepSize);
    stepFirstOf(s.modelStep, vk::numpad1, -modelStepSize, vk::numpad9, modelStepSize);
    moveAndResizeFilter(s);
    adjustFilterColorAndLight(s);
    moveSideways(s);
    setModelSteps(s);
    stepFirstOf(s.viewHeading, vk::left, -headingStep, vk::right, headingStep);
    stepFirstOf(s.lookAtHeight, vk::down, -lookAtHeightStep, vk::up, lookAtHeightStep);
    raiseOrLowerScene(s);
    moveAlong(s.eyePosition, s.viewHeading, s.eyeStep);
}

void pollCommandKeys() {
    sampleKeyboard();
    handleEscape();
    handleEnter(viewerState);
}
