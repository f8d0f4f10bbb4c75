#include "fakes/scripted_keys.h"
#include "state/keyboard_poll.h"
#include "state/viewer_state.h"
#include "state/virtual_keys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

// The poll's other two services, recorded: the quit request and the capture, which notes the
// filter's left edge at the moment it runs.
namespace {
std::vector<int> quitRequests;
std::vector<int> captureFilterXs;
} // namespace

void requestQuit(int exitCode) {
    quitRequests.push_back(exitCode);
}
void captureFilterArea() {
    captureFilterXs.push_back(viewerState.filterX);
}

namespace {

class KeyboardPoll : public ::testing::Test {
  protected:
    void SetUp() override {
        viewerState = ViewerState{};
        scripted_keys::releaseAll();
        quitRequests.clear();
        captureFilterXs.clear();
    }

    static void pollWith(std::initializer_list<int> keys, int polls = 1) {
        scripted_keys::releaseAll();
        scripted_keys::hold(keys);
        for (int i = 0; i < polls; ++i) {
            pollKeyboard();
        }
    }
};

// Floats are compared bit for bit: single- and double-precision arithmetic give different
// last bits, and these values pin down which one the poll uses. Where seven digits do not
// name one float, nine are written.
#define EXPECT_FLOAT_BITS(expected, actual) EXPECT_EQ(float{expected}, actual)

TEST_F(KeyboardPoll, WithNoKeyDownOnlyTheEnterCounterChanges) {
    viewerState.enterHoldCounter = 7;
    viewerState.eyeStep = 0.04f;
    viewerState.spinXStep = 0.02f;
    ViewerState expected = ViewerState{};
    pollWith({});
    EXPECT_TRUE(expected == viewerState);
    EXPECT_TRUE(quitRequests.empty());
    EXPECT_TRUE(captureFilterXs.empty());
}

TEST_F(KeyboardPoll, ElsePairsLetTheFirstKeyWin) {
    pollWith({vk::numpad2, vk::numpad8});
    EXPECT_FLOAT_BITS(-0.04f, viewerState.eyeStep);
    pollWith({vk::numpad1, vk::numpad9});
    EXPECT_FLOAT_BITS(-0.03f, viewerState.modelStep);
    pollWith({vk::numpadAdd, vk::numpadSubtract});
    EXPECT_FLOAT_BITS(0.03f, viewerState.riseStep);
    pollWith({vk::leftShift, vk::rightShift});
    EXPECT_FLOAT_BITS(0.02f, viewerState.spinZStep);
    pollWith({vk::leftControl, vk::rightControl});
    EXPECT_FLOAT_BITS(0.02f, viewerState.spinXStep);
    pollWith({vk::numpadDivide, vk::numpadMultiply});
    EXPECT_FLOAT_BITS(0.02f, viewerState.spinYStep);
    pollWith({vk::left, vk::right});
    EXPECT_FLOAT_BITS(-0.01f, viewerState.viewHeading);
    pollWith({vk::down, vk::up});
    EXPECT_FLOAT_BITS(2.4f - 0.01f, viewerState.lookAtHeight);
    pollWith({vk::pageUp, vk::pageDown});
    EXPECT_FLOAT_BITS(2.4f - 0.02f, viewerState.wallPosition.y);
    EXPECT_FLOAT_BITS(2.58f - 0.02f, viewerState.modelPosition.y);
}

TEST_F(KeyboardPoll, SecondKeyOfAnElsePairActsAlone) {
    pollWith({vk::numpad8});
    EXPECT_FLOAT_BITS(0.04f, viewerState.eyeStep);
    pollWith(
        {vk::numpadSubtract, vk::rightShift, vk::rightControl, vk::numpadMultiply, vk::numpad9});
    EXPECT_FLOAT_BITS(-0.03f, viewerState.riseStep);
    EXPECT_FLOAT_BITS(-0.02f, viewerState.spinZStep);
    EXPECT_FLOAT_BITS(-0.02f, viewerState.spinXStep);
    EXPECT_FLOAT_BITS(-0.02f, viewerState.spinYStep);
    EXPECT_FLOAT_BITS(0.03f, viewerState.modelStep);
    EXPECT_FLOAT_BITS(0.0f, viewerState.eyeStep) << "steps never accumulate across polls";
}

TEST_F(KeyboardPoll, ThenPairsLetBothKeysAct) {
    pollWith({vk::key('D'), vk::key('A'), vk::key('Q'), vk::key('E'), vk::key('W'), vk::key('S'),
              vk::key('Z'), vk::key('C')});
    EXPECT_EQ(20, viewerState.filterX);
    EXPECT_EQ(20, viewerState.filterY);
    EXPECT_EQ(50, viewerState.filterWidth);
    EXPECT_EQ(50, viewerState.filterHeight);

    pollWith({vk::key('D'), vk::key('S'), vk::key('E'), vk::key('C')});
    EXPECT_EQ(23, viewerState.filterX);
    EXPECT_EQ(23, viewerState.filterY);
    EXPECT_EQ(53, viewerState.filterWidth);
    EXPECT_EQ(53, viewerState.filterHeight);
}

TEST_F(KeyboardPoll, FilterSidesShrinkToThreeAndStayThere) {
    pollWith({vk::key('Q')}, 15);
    EXPECT_EQ(5, viewerState.filterWidth);
    pollWith({vk::key('Q')});
    EXPECT_EQ(3, viewerState.filterWidth);
    pollWith({vk::key('Q'), vk::key('Z')}, 100);
    EXPECT_EQ(3, viewerState.filterWidth);
    EXPECT_EQ(3, viewerState.filterHeight);
}

TEST_F(KeyboardPoll, UnclampedSixteenBitFieldsWrap) {
    viewerState.filterWidth = 65534;
    pollWith({vk::key('E')});
    EXPECT_EQ(3, viewerState.filterWidth) << "65534 + 3 wraps to 1, which clamps to 3";

    viewerState.filterHeight = 65532;
    pollWith({vk::key('C')});
    EXPECT_EQ(65535, viewerState.filterHeight);

    viewerState.filterX = 32767;
    pollWith({vk::key('D')});
    EXPECT_EQ(-32766, viewerState.filterX);

    viewerState.filterY = -32767;
    pollWith({vk::key('W')});
    EXPECT_EQ(32766, viewerState.filterY);
}

TEST_F(KeyboardPoll, ColourAndOpacityClampAtBothEnds) {
    struct Case {
        std::uint16_t ViewerState::*field;
        int lowerKey;
        int raiseKey;
        std::uint16_t minimum;
    };
    const Case cases[] = {
        {&ViewerState::filterAlpha, vk::key('7'), vk::key('U'), 8},
        {&ViewerState::filterRed, vk::key('1'), vk::key('2'), 1},
        {&ViewerState::filterGreen, vk::key('3'), vk::key('4'), 1},
        {&ViewerState::filterBlue, vk::key('5'), vk::key('6'), 1},
    };
    for (const Case& c : cases) {
        viewerState = ViewerState{};
        viewerState.*c.field = c.minimum;
        pollWith({c.lowerKey});
        EXPECT_EQ(c.minimum, viewerState.*c.field);
        pollWith({c.raiseKey});
        EXPECT_EQ(c.minimum + 1, viewerState.*c.field);
        viewerState.*c.field = 255;
        pollWith({c.raiseKey});
        EXPECT_EQ(255, viewerState.*c.field);
        pollWith({c.lowerKey}, 3);
        EXPECT_EQ(252, viewerState.*c.field);
    }
}

TEST_F(KeyboardPoll, LookAtHeightClampsAtTwoAndFour) {
    pollWith({vk::down}, 40);
    EXPECT_FLOAT_BITS(2.0000005f, viewerState.lookAtHeight);
    pollWith({vk::down});
    EXPECT_FLOAT_BITS(2.0f, viewerState.lookAtHeight);

    viewerState.lookAtHeight = 2.4f;
    pollWith({vk::up}, 160);
    EXPECT_FLOAT_BITS(3.9999986f, viewerState.lookAtHeight);
    pollWith({vk::up});
    EXPECT_FLOAT_BITS(4.0f, viewerState.lookAtHeight);
}

TEST_F(KeyboardPoll, HeadingIsNeverWrapped) {
    pollWith({vk::left}, 157);
    EXPECT_FLOAT_BITS(-1.5699989f, viewerState.viewHeading);
    pollWith({vk::left}, 1000);
    EXPECT_LT(viewerState.viewHeading, -11.0f);
}

TEST_F(KeyboardPoll, AmbientChannelsClampWithTheirShownNumbers) {
    struct Channel {
        float ViewerState::*value;
        std::uint16_t ViewerState::*percent;
        int lowerKey;
        int raiseKey;
    };
    const Channel channels[] = {
        {&ViewerState::ambientRed, &ViewerState::ambientRedPercent, vk::key('8'), vk::key('I')},
        {&ViewerState::ambientGreen, &ViewerState::ambientGreenPercent, vk::key('9'), vk::key('O')},
        {&ViewerState::ambientBlue, &ViewerState::ambientBluePercent, vk::key('0'), vk::key('P')},
    };
    for (const Channel& c : channels) {
        viewerState = ViewerState{};
        pollWith({c.raiseKey});
        EXPECT_FLOAT_BITS(1.0f, viewerState.*c.value);
        EXPECT_EQ(100, viewerState.*c.percent);
        pollWith({c.raiseKey});
        EXPECT_FLOAT_BITS(1.0f, viewerState.*c.value);
        EXPECT_EQ(100, viewerState.*c.percent);

        viewerState = ViewerState{};
        pollWith({c.lowerKey}, 94);
        EXPECT_FLOAT_BITS(0.0500006676f, viewerState.*c.value);
        EXPECT_EQ(5, viewerState.*c.percent);
        pollWith({c.lowerKey});
        EXPECT_FLOAT_BITS(0.05f, viewerState.*c.value);
        EXPECT_EQ(1, viewerState.*c.percent) << "the bottom clamp shows 1, not 5";
        pollWith({c.lowerKey});
        EXPECT_FLOAT_BITS(0.05f, viewerState.*c.value);
        EXPECT_EQ(1, viewerState.*c.percent);

        pollWith({c.raiseKey}, 95);
        EXPECT_FLOAT_BITS(0.999999344f, viewerState.*c.value);
        EXPECT_EQ(96, viewerState.*c.percent);
        pollWith({c.raiseKey});
        EXPECT_FLOAT_BITS(1.0f, viewerState.*c.value);
        EXPECT_EQ(100, viewerState.*c.percent);
    }
}

TEST_F(KeyboardPoll, ForwardAndSidewaysMovesUseDoublePrecision) {
    pollWith({vk::numpad8});
    EXPECT_FLOAT_BITS(0.0f, viewerState.eyePosition.x);
    EXPECT_FLOAT_BITS(3.0f, viewerState.eyePosition.y);
    EXPECT_FLOAT_BITS(-2.96f, viewerState.eyePosition.z);

    viewerState = ViewerState{};
    pollWith({vk::numpad6});
    EXPECT_FLOAT_BITS(0.02999999f, viewerState.eyePosition.x);
    EXPECT_FLOAT_BITS(3.0f, viewerState.eyePosition.y);
    EXPECT_FLOAT_BITS(-2.9999762f, viewerState.eyePosition.z) << "the angle is 1.57, not pi/2";
}

TEST_F(KeyboardPoll, SidewaysKeysMoveEitherTheCameraOrTheModel) {
    pollWith({vk::numpad6, vk::numpad7});
    EXPECT_GT(viewerState.eyePosition.x, 0.0f);
    EXPECT_FLOAT_BITS(0.0f, viewerState.modelPosition.x);

    viewerState = ViewerState{};
    pollWith({vk::numpad7, vk::numpad3});
    EXPECT_FLOAT_BITS(0.0f, viewerState.eyePosition.x);
    EXPECT_GT(viewerState.modelPosition.x, 0.019f) << "toward heading + 1.57";

    viewerState = ViewerState{};
    pollWith({vk::numpad4});
    EXPECT_LT(viewerState.eyePosition.x, -0.029f);
}

TEST_F(KeyboardPoll, SidewaysMoveUsesTheHeadingBeforeTheArrowKeys) {
    viewerState.viewHeading = 1.0f;
    ViewerState reference = viewerState;
    pollWith({vk::numpad6, vk::right});
    const double angle = double{1.0f} + 1.57;
    EXPECT_FLOAT_BITS(static_cast<float>(reference.eyePosition.x + double{0.03f} * std::sin(angle)),
                      viewerState.eyePosition.x);
    EXPECT_FLOAT_BITS(1.01f, viewerState.viewHeading);
}

TEST_F(KeyboardPoll, ForwardMoveUsesTheHeadingAfterTheArrowKeys) {
    pollWith({vk::numpad8, vk::right});
    const double heading = double{0.01f};
    EXPECT_FLOAT_BITS(static_cast<float>(double{0.04f} * std::sin(heading)),
                      viewerState.eyePosition.x);
    EXPECT_FLOAT_BITS(static_cast<float>(-3.0 + double{0.04f} * std::cos(heading)),
                      viewerState.eyePosition.z);
}

TEST_F(KeyboardPoll, EnterCapturesOncePerPress) {
    pollWith({vk::enter}, 100000);
    EXPECT_EQ(1u, captureFilterXs.size()) << "a long hold must not wrap the counter";
    EXPECT_GE(viewerState.enterHoldCounter, 3);
    pollWith({});
    EXPECT_EQ(0, viewerState.enterHoldCounter);
    pollWith({vk::enter});
    EXPECT_EQ(2u, captureFilterXs.size());
    EXPECT_EQ(2, viewerState.enterHoldCounter);
}

TEST_F(KeyboardPoll, EnterCapturesBeforeTheFilterMoves) {
    pollWith({vk::enter, vk::key('D')});
    ASSERT_EQ(1u, captureFilterXs.size());
    EXPECT_EQ(20, captureFilterXs[0]);
    EXPECT_EQ(23, viewerState.filterX);
}

TEST_F(KeyboardPoll, EscapeRequestsQuitAndThePollGoesOn) {
    pollWith({vk::escape, vk::key('D')});
    EXPECT_EQ(std::vector<int>{0}, quitRequests);
    EXPECT_EQ(23, viewerState.filterX);
}

} // namespace
