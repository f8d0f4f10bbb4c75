// The keyboard poll: exact values, clamps, wraps and the order keys act in. Floats are compared
// bit for bit, because single- and double-precision arithmetic differ in the last bits and the
// poll must use the one the viewer's moves are defined in. Where seven digits do not name one
// float, nine are written.
#include "state/key_state_source.h"
#include "state/keyboard_poll.h"
#include "state/viewer_state.h"
#include "state/virtual_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace {
std::set<int> heldKeys;
std::vector<int> quitCodes;
std::vector<int> filterXAtCapture; // the filter's left edge each time a capture ran
} // namespace

void sampleKeyboard() {}
bool isKeyDownQueued(int virtualKey) {
    return heldKeys.count(virtualKey) != 0;
}
bool isKeyDownAsync(int virtualKey) {
    return heldKeys.count(virtualKey) != 0;
}
void requestQuit(int exitCode) {
    quitCodes.push_back(exitCode);
}
void captureFilterArea() {
    filterXAtCapture.push_back(viewerState.filterX);
}

namespace {

#define EXPECT_FLOAT_BITS(expected, actual) EXPECT_EQ(float{expected}, actual)

class KeyboardPoll : public ::testing::Test {
  protected:
    void SetUp() override {
        viewerState = ViewerState{};
        heldKeys.clear();
        quitCodes.clear();
        filterXAtCapture.clear();
    }

    static void poll(const std::set<int>& keys, int times = 1) {
        heldKeys = keys;
        for (int i = 0; i < times; ++i) {
            pollKeyboard();
        }
    }
};

TEST_F(KeyboardPoll, EachKeyOfAnOpposedPairStepsItsOwnWayAndTheFirstWins) {
    // The first key, the second, the value they step, and the value after the first (also with
    // both keys down) and after the second.
    using Pair = std::tuple<int, int, float ViewerState::*, float, float>;
    const Pair pairs[] = {
        {vk::numpad2, vk::numpad8, &ViewerState::eyeStep, -0.04f, 0.04f},
        {vk::numpad1, vk::numpad9, &ViewerState::modelStep, -0.03f, 0.03f},
        {vk::numpadAdd, vk::numpadSubtract, &ViewerState::riseStep, 0.03f, -0.03f},
        {vk::leftShift, vk::rightShift, &ViewerState::spinZStep, 0.02f, -0.02f},
        {vk::leftControl, vk::rightControl, &ViewerState::spinXStep, 0.02f, -0.02f},
        {vk::numpadDivide, vk::numpadMultiply, &ViewerState::spinYStep, 0.02f, -0.02f},
        {vk::left, vk::right, &ViewerState::viewHeading, -0.01f, 0.01f},
        {vk::down, vk::up, &ViewerState::lookAtHeight, 2.3900001f, 2.41000009f},
    };
    for (const auto& [first, second, field, afterFirst, afterSecond] : pairs) {
        for (const auto& [keys, expected] : {std::pair{std::set<int>{first}, afterFirst},
                                             std::pair{std::set<int>{second}, afterSecond},
                                             std::pair{std::set<int>{first, second}, afterFirst}}) {
            SetUp();
            poll(keys);
            EXPECT_FLOAT_BITS(expected, viewerState.*field)
                << "keys " << first << " and " << second << ", " << keys.size() << " down";
        }
    }
    poll({vk::numpad8});
    poll({});
    EXPECT_FLOAT_BITS(0.0f, viewerState.eyeStep) << "steps hold for one frame only";
}

TEST_F(KeyboardPoll, PageUpLowersWallAndModelTogetherAndPageDownRaisesThem) {
    poll({vk::pageUp, vk::pageDown});
    EXPECT_FLOAT_BITS(2.38000011f, viewerState.wallPosition.y) << "Page Up wins";
    EXPECT_FLOAT_BITS(2.55999994f, viewerState.modelPosition.y);
    SetUp();
    poll({vk::pageDown});
    EXPECT_FLOAT_BITS(2.42000008f, viewerState.wallPosition.y);
    EXPECT_FLOAT_BITS(2.5999999f, viewerState.modelPosition.y);
    EXPECT_FLOAT_BITS(3.0f, viewerState.eyePosition.y) << "the camera stays";
    EXPECT_FLOAT_BITS(2.4f, viewerState.lookAtHeight);
}

TEST_F(KeyboardPoll, FilterKeysStepBySixteenBitsWithSidesClampedAtThree) {
    poll({vk::key('D'), vk::key('A'), vk::key('E'), vk::key('Q')});
    EXPECT_EQ(20, viewerState.filterX) << "both keys of a pair act";
    EXPECT_EQ(50, viewerState.filterWidth);
    poll({vk::key('Q'), vk::key('Z')}, 100);
    EXPECT_EQ(3, viewerState.filterWidth);
    EXPECT_EQ(3, viewerState.filterHeight);
    viewerState.filterWidth = viewerState.filterHeight = 7;
    poll({vk::key('Q'), vk::key('Z')});
    EXPECT_EQ(4, viewerState.filterWidth) << "one above the clamp stays";
    EXPECT_EQ(4, viewerState.filterHeight);

    viewerState.filterWidth = 65534;
    poll({vk::key('E')});
    EXPECT_EQ(3, viewerState.filterWidth) << "65534 + 3 wraps to 1, which clamps to 3";
    viewerState.filterX = 32767;
    poll({vk::key('D')});
    EXPECT_EQ(-32766, viewerState.filterX);
    viewerState.filterY = -32767;
    poll({vk::key('W')});
    EXPECT_EQ(32766, viewerState.filterY);
}

TEST_F(KeyboardPoll, ColourAndOpacityClampAtBothEnds) {
    using Channel = std::tuple<std::uint16_t ViewerState::*, int, int, std::uint16_t>;
    const Channel channels[] = {
        {&ViewerState::filterAlpha, vk::key('7'), vk::key('U'), 8},
        {&ViewerState::filterRed, vk::key('1'), vk::key('2'), 1},
        {&ViewerState::filterGreen, vk::key('3'), vk::key('4'), 1},
        {&ViewerState::filterBlue, vk::key('5'), vk::key('6'), 1},
    };
    for (const auto& [field, lowerKey, raiseKey, minimum] : channels) {
        SetUp();
        poll({lowerKey}, 300);
        ViewerState lowered{};
        lowered.*field = minimum;
        EXPECT_EQ(lowered, viewerState) << "each key moves its own channel alone";
        poll({raiseKey});
        EXPECT_EQ(minimum + 1, viewerState.*field) << "one above each clamp stays";
        poll({raiseKey}, 300);
        EXPECT_EQ(255, viewerState.*field);
        poll({lowerKey});
        EXPECT_EQ(254, viewerState.*field);
    }
}

TEST_F(KeyboardPoll, AmbientChannelsClampWithTheirShownPercentages) {
    using Channel = std::tuple<float ViewerState::*, std::uint16_t ViewerState::*, int, int>;
    const Channel channels[] = {
        {&ViewerState::ambientRed, &ViewerState::ambientRedPercent, vk::key('8'), vk::key('I')},
        {&ViewerState::ambientGreen, &ViewerState::ambientGreenPercent, vk::key('9'), vk::key('O')},
        {&ViewerState::ambientBlue, &ViewerState::ambientBluePercent, vk::key('0'), vk::key('P')},
    };
    for (const auto& [value, percent, lowerKey, raiseKey] : channels) {
        SetUp();
        poll({lowerKey}, 94);
        EXPECT_FLOAT_BITS(0.0500006676f, viewerState.*value);
        EXPECT_EQ(5, viewerState.*percent);
        poll({lowerKey});
        EXPECT_FLOAT_BITS(0.05f, viewerState.*value);
        EXPECT_EQ(1, viewerState.*percent) << "the bottom clamp shows 1, not 5";
        poll({raiseKey}, 95);
        EXPECT_FLOAT_BITS(0.999999344f, viewerState.*value);
        EXPECT_EQ(96, viewerState.*percent);
        poll({raiseKey}, 2);
        EXPECT_FLOAT_BITS(1.0f, viewerState.*value);
        EXPECT_EQ(100, viewerState.*percent);
    }
}

TEST_F(KeyboardPoll, LookAtHeightClampsAtTwoAndFourWhileTheHeadingNeverWraps) {
    poll({vk::down}, 40);
    EXPECT_FLOAT_BITS(2.0000005f, viewerState.lookAtHeight);
    poll({vk::down});
    EXPECT_FLOAT_BITS(2.0f, viewerState.lookAtHeight);
    poll({vk::up}, 201);
    EXPECT_FLOAT_BITS(4.0f, viewerState.lookAtHeight);

    poll({vk::left}, 157);
    EXPECT_FLOAT_BITS(-1.5699989f, viewerState.viewHeading);
    poll({vk::left}, 1000);
    EXPECT_LT(viewerState.viewHeading, -11.0f);
}

TEST_F(KeyboardPoll, CameraMovesAreWorkedInDoublePrecision) {
    poll({vk::numpad6}, 3);
    EXPECT_EQ((Vector{0.0899999663f, 3.0f, -2.99992847f}), viewerState.eyePosition)
        << "x is 0.0899999738 worked in float; z shows the angle is 1.57, not pi/2";

    SetUp();
    poll({vk::numpad8, vk::right});
    EXPECT_EQ((Vector{0.000399993325f, 3.0f, -2.96000195f}), viewerState.eyePosition)
        << "forward uses the heading after the arrow keys";

    SetUp();
    viewerState.viewHeading = 1.0f;
    poll({vk::numpad6, vk::right});
    EXPECT_FLOAT_BITS(0.0162291657f, viewerState.eyePosition.x)
        << "sideways uses the heading before the arrow keys";
}

TEST_F(KeyboardPoll, OneSidewaysKeyActsInTheOrder6473) {
    // 0.03 and 0.02 times the sine of 1.57 to the right (+x) of the start heading, or to its
    // left, each rounded once to float; z moves by the cosine's tiny remainder either way.
    constexpr float eyeRight = 0.02999999f;
    constexpr float modelRight = 0.019999994f;
    using Case = std::tuple<std::set<int>, float, float>; // keys, then the eye's and model's x
    const Case cases[] = {
        {{vk::numpad6}, eyeRight, 0.0f},
        {{vk::numpad4}, -eyeRight, 0.0f},
        {{vk::numpad7}, 0.0f, modelRight},
        {{vk::numpad3}, 0.0f, -modelRight},
        // Each key beats every key after it: take away the winner, and the next one wins.
        {{vk::numpad6, vk::numpad4, vk::numpad7, vk::numpad3}, eyeRight, 0.0f},
        {{vk::numpad4, vk::numpad7, vk::numpad3}, -eyeRight, 0.0f},
        {{vk::numpad7, vk::numpad3}, 0.0f, modelRight},
    };
    for (const auto& [keys, eyeX, modelX] : cases) {
        SCOPED_TRACE(::testing::PrintToString(keys));
        SetUp();
        poll(keys);
        const bool eyeMoved = eyeX != 0.0f;
        EXPECT_EQ((Vector{eyeX, 3.0f, eyeMoved ? -2.99997616f : -3.0f}), viewerState.eyePosition);
        EXPECT_EQ((Vector{modelX, 2.58f, eyeMoved ? 0.0f : 1.59265346e-05f}),
                  viewerState.modelPosition);
    }
}

// Escape asks to quit with 0 and the poll goes on: the filter moves in the same frame.
TEST_F(KeyboardPoll, EnterCapturesOncePerPressBeforeTheFilterMovesAndEscapeQuitsWithZero) {
    poll({vk::enter, vk::key('D')}, 100000);
    EXPECT_EQ(std::vector<int>{20}, filterXAtCapture) << "a long hold never wraps the counter";
    poll({});
    const int before = viewerState.filterX;
    poll({vk::enter, vk::escape, vk::key('D')});
    EXPECT_EQ((std::vector<int>{20, before}), filterXAtCapture);
    EXPECT_EQ(std::vector<int>{0}, quitCodes);
    EXPECT_EQ(before + 3, viewerState.filterX);
}

} // namespace
