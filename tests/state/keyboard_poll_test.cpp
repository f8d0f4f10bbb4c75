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
#include <string>
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
    poll({vk::key('D'), vk::key('A'), vk::key('W'), vk::key('S'), vk::key('E'), vk::key('Q'),
          vk::key('Z'), vk::key('C')});
    EXPECT_EQ(ViewerState{}, viewerState) << "both keys of each pair act, in opposite ways";
    poll({vk::key('Q'), vk::key('Z')}, 100);
    EXPECT_EQ(3, viewerState.filterWidth);
    EXPECT_EQ(3, viewerState.filterHeight);
    viewerState.filterWidth = viewerState.filterHeight = 7;
    poll({vk::key('Q'), vk::key('Z')});
    EXPECT_EQ(4, viewerState.filterWidth) << "one above the clamp stays";
    EXPECT_EQ(4, viewerState.filterHeight);

    // Each key alone, past its field's wrap-around: 65534 + 3 wraps to 1, which clamps to 3.
    const auto wraps = [](auto field, int from, int key, int to) {
        viewerState.*field = from;
        poll({key});
        EXPECT_EQ(to, viewerState.*field) << "key " << key;
    };
    wraps(&ViewerState::filterX, 32767, vk::key('D'), -32766);
    wraps(&ViewerState::filterX, -32767, vk::key('A'), 32766);
    wraps(&ViewerState::filterY, -32767, vk::key('W'), 32766);
    wraps(&ViewerState::filterY, 32767, vk::key('S'), -32766);
    wraps(&ViewerState::filterWidth, 65534, vk::key('E'), 3);
    wraps(&ViewerState::filterHeight, 65534, vk::key('C'), 3);
}

TEST_F(KeyboardPoll, ColourAndOpacityClampAtBothEnds) {
    // The channel, its keys, its minimum and the filter's colour with the channel at it.
    using Channel =
        std::tuple<std::uint16_t ViewerState::*, int, int, std::uint16_t, std::uint32_t>;
    const Channel channels[] = {
        {&ViewerState::filterAlpha, vk::key('7'), vk::key('U'), 8, 0x08FAFAFA},
        {&ViewerState::filterRed, vk::key('1'), vk::key('2'), 1, 0xC801FAFA},
        {&ViewerState::filterGreen, vk::key('3'), vk::key('4'), 1, 0xC8FA01FA},
        {&ViewerState::filterBlue, vk::key('5'), vk::key('6'), 1, 0xC8FAFA01},
    };
    for (const auto& [field, lowerKey, raiseKey, minimum, colour] : channels) {
        SetUp();
        poll({lowerKey}, 300);
        ViewerState lowered{};
        lowered.*field = minimum;
        EXPECT_EQ(lowered, viewerState) << "each key moves its own channel alone";
        EXPECT_EQ(colour, filterColor(viewerState));
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

// Sideways moves go 0.03 (eye) and 0.02 (model) along the start heading plus or minus 1.57, not
// pi/2, so z moves by the cosine's tiny remainder; forward moves go along the heading after the
// arrow keys. Each is worked in double precision and rounded once to float.
TEST_F(KeyboardPoll, CameraAndModelMovesTakeOneSidewaysKeyInTheOrder6473) {
    const Vector eye{0.0f, 3.0f, -3.0f}, model{0.0f, 2.58f, 0.0f};
    const Vector eyeRight{0.02999999f, 3.0f, -2.99997616f}, eyeLeft{-eyeRight.x, 3.0f, eyeRight.z};
    const Vector modelRight{0.019999994f, 2.58f, 1.59265346e-05f};
    const Vector modelLeft{-modelRight.x, 2.58f, modelRight.z};
    struct Case {
        std::set<int> keys;
        float heading;
        int polls;
        Vector eye, model;
    };
    const Case cases[] = {
        {{vk::numpad6}, 0.0f, 1, eyeRight, model},
        {{vk::numpad4}, 0.0f, 1, eyeLeft, model},
        {{vk::numpad7}, 0.0f, 1, eye, modelRight},
        {{vk::numpad3}, 0.0f, 1, eye, modelLeft},
        // Each key beats every key after it: take away the winner, and the next one wins.
        {{vk::numpad6, vk::numpad4, vk::numpad7, vk::numpad3}, 0.0f, 1, eyeRight, model},
        {{vk::numpad4, vk::numpad7, vk::numpad3}, 0.0f, 1, eyeLeft, model},
        {{vk::numpad7, vk::numpad3}, 0.0f, 1, eye, modelRight},
        // x would be 0.0899999738 summed in float.
        {{vk::numpad6}, 0.0f, 3, {0.0899999663f, 3.0f, -2.99992847f}, model},
        {{vk::numpad8, vk::right}, 0.0f, 1, {0.000399993325f, 3.0f, -2.96000195f}, model},
        {{vk::numpad6, vk::right}, 1.0f, 1, {0.0162291657f, 3.0f, -3.02523112f}, model},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.keys) + " from heading " +
                     std::to_string(c.heading));
        SetUp();
        viewerState.viewHeading = c.heading;
        poll(c.keys, c.polls);
        EXPECT_EQ(c.eye, viewerState.eyePosition);
        EXPECT_EQ(c.model, viewerState.modelPosition);
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
