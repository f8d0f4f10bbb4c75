#include "gfx/graphics_setup.h"

#include "fakes/recording_graphics.h"

#include <gtest/gtest.h>

namespace rg = recording_graphics;

namespace {

WindowHandle const testWindow = reinterpret_cast<WindowHandle>(0x5150);
constexpr GraphicsResult notAvailable = static_cast<GraphicsResult>(0x8876086A);

class GraphicsSetup : public ::testing::Test {
  protected:
    void SetUp() override {
        rg::reset();
        direct3d = nullptr;
        device = nullptr;
        textFont = nullptr;
        directInput = nullptr;
    }
};

TEST_F(GraphicsSetup, MakesDeviceFontAndInputInOrder) {
    ASSERT_TRUE(setUpGraphics(testWindow, 592, 576));
    EXPECT_EQ((std::vector<std::string>{"initializeCom", "createDirect3D", "createDirect3DDevice",
                                        "createFontIndirect", "directInput8Create"}),
              rg::callNames());

    const rg::Call attempt = rg::callsNamed("createDirect3DDevice").at(0);
    EXPECT_EQ(rg::callsNamed("createDirect3D").at(0).made, attempt.values[0]);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(testWindow), attempt.values[3]);
    EXPECT_EQ(attempt.made, reinterpret_cast<std::uintptr_t>(device));
    // The font is made on the new device.
    EXPECT_EQ(attempt.made, rg::callsNamed("createFontIndirect").at(0).values[0]);
    EXPECT_EQ(rg::callsNamed("createFontIndirect").at(0).made,
              reinterpret_cast<std::uintptr_t>(textFont));
    EXPECT_EQ(0x0800u, rg::callsNamed("directInput8Create").at(0).values[0]);
    EXPECT_NE(nullptr, directInput);
}

TEST_F(GraphicsSetup, PresentParametersAskForAWindowed16BitPictureOfTheGivenSize) {
    ASSERT_TRUE(setUpGraphics(testWindow, 592, 576));
    const PresentParameters p = rg::callsNamed("createDirect3DDevice").at(0).presentParameters;
    EXPECT_EQ(592u, p.backBufferWidth);
    EXPECT_EQ(576u, p.backBufferHeight);
    EXPECT_EQ(23u, p.backBufferFormat); // R5G6B5
    EXPECT_EQ(1u, p.backBufferCount);
    EXPECT_EQ(0u, p.multiSampleType);
    EXPECT_EQ(0u, p.multiSampleQuality);
    EXPECT_EQ(1u, p.swapEffect); // discard
    EXPECT_EQ(testWindow, p.deviceWindow);
    EXPECT_TRUE(p.windowed);
    EXPECT_TRUE(p.enableAutoDepthStencil);
    EXPECT_EQ(80u, p.autoDepthStencilFormat); // D16
    EXPECT_EQ(0u, p.flags);
    EXPECT_EQ(0u, p.fullScreenRefreshRateInHz);
    EXPECT_EQ(1u, p.presentationInterval);
}

TEST_F(GraphicsSetup, FontIsChosenByTheShiftJisCharacterSetAlone) {
    ASSERT_TRUE(setUpGraphics(testWindow, 592, 576));
    FontDescription expected{};
    expected.height = 14;
    expected.weight = 400;
    expected.charSet = 128;
    EXPECT_EQ(expected, rg::callsNamed("createFontIndirect").at(0).fontDescription);
}

struct FallbackCase {
    std::vector<GraphicsResult> deviceResults;
    bool succeeds;
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> attempts; // device type, behaviour
};

class DeviceFallback : public GraphicsSetup, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(DeviceFallback, TriesHardwareThenSoftwareThenReferenceAndStopsAtTheFirstDevice) {
    rg::script.deviceResults = GetParam().deviceResults;
    EXPECT_EQ(GetParam().succeeds, setUpGraphics(testWindow, 592, 576));

    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> attempts;
    for (const rg::Call& call : rg::callsNamed("createDirect3DDevice")) {
        EXPECT_EQ(0u, call.values[1]); // default adapter
        attempts.emplace_back(call.values[2], call.values[4]);
    }
    EXPECT_EQ(GetParam().attempts, attempts);
    // Without a device neither the font nor the input object is attempted.
    EXPECT_EQ(GetParam().succeeds ? 1u : 0u, rg::callsNamed("createFontIndirect").size());
    EXPECT_EQ(GetParam().succeeds ? 1u : 0u, rg::callsNamed("directInput8Create").size());
}

INSTANTIATE_TEST_SUITE_P(
    Attempts, DeviceFallback,
    ::testing::Values(
        FallbackCase{{}, true, {{1, 0x40}}},
        FallbackCase{{notAvailable}, true, {{1, 0x40}, {1, 0x20}}},
        FallbackCase{{notAvailable, notAvailable}, true, {{1, 0x40}, {1, 0x20}, {2, 0x20}}},
        FallbackCase{
            {notAvailable, notAvailable, notAvailable}, false, {{1, 0x40}, {1, 0x20}, {2, 0x20}}}));

TEST_F(GraphicsSetup, NoDirect3DObjectStopsBeforeAnyDeviceAttempt) {
    rg::script.direct3dFails = true;
    EXPECT_FALSE(setUpGraphics(testWindow, 592, 576));
    EXPECT_EQ((std::vector<std::string>{"initializeCom", "createDirect3D"}), rg::callNames());
    EXPECT_EQ(nullptr, device);
}

TEST_F(GraphicsSetup, FontFailureStopsBeforeInputAndKeepsTheDevice) {
    rg::script.fontResult = notAvailable;
    EXPECT_FALSE(setUpGraphics(testWindow, 592, 576));
    EXPECT_TRUE(rg::callsNamed("directInput8Create").empty());
    EXPECT_NE(nullptr, device);
}

TEST_F(GraphicsSetup, InputFailureIsAFailureOfTheSetUp) {
    rg::script.inputResult = notAvailable;
    EXPECT_FALSE(setUpGraphics(testWindow, 592, 576));
    EXPECT_NE(nullptr, textFont);
}

} // namespace

namespace {

TEST_F(GraphicsSetup, ReleasesEverythingMadeFontBeforeDeviceAndOnlyOnce) {
    ASSERT_TRUE(setUpGraphics(testWindow, 592, 576));
    const std::uintptr_t madeDevice = reinterpret_cast<std::uintptr_t>(device);
    releaseGraphics();
    releaseGraphics();
    const std::vector<std::string> names = rg::callNames();
    const std::vector<std::string> released(names.end() - 4, names.end());
    EXPECT_EQ((std::vector<std::string>{"releaseInput", "releaseFont", "releaseDevice",
                                        "releaseDirect3D"}),
              released);
    EXPECT_EQ(madeDevice, rg::callsNamed("releaseDevice").at(0).values[0]);
    EXPECT_EQ(nullptr, device);
}

TEST_F(GraphicsSetup, ReleaseAfterAFailedSetUpLeavesOutWhatWasNeverMade) {
    rg::script.fontResult = notAvailable;
    ASSERT_FALSE(setUpGraphics(testWindow, 592, 576));
    releaseGraphics();
    EXPECT_TRUE(rg::callsNamed("releaseFont").empty());
    EXPECT_TRUE(rg::callsNamed("releaseInput").empty());
    EXPECT_EQ(1u, rg::callsNamed("releaseDevice").size());
}

TEST_F(GraphicsSetup, ALostDeviceIsResetWithTheParametersItWasMadeWith) {
    ASSERT_TRUE(setUpGraphics(testWindow, 592, 576));
    for (const auto& [level, state] :
         {std::pair{graphicsOk, DeviceState::ready}, std::pair{deviceLost, DeviceState::lost},
          std::pair{deviceNotReset, DeviceState::needsReset}}) {
        rg::script.cooperativeLevel = level;
        EXPECT_EQ(state, queryDeviceState());
    }
    ASSERT_TRUE(resetDeviceWithSameParameters());
    EXPECT_EQ(rg::callsNamed("createDirect3DDevice").at(0).presentParameters,
              rg::callsNamed("resetDevice").at(0).presentParameters);
    EXPECT_TRUE(reportsLostDevice(deviceLost) && reportsLostDevice(deviceNotReset));
    EXPECT_FALSE(reportsLostDevice(graphicsOk));
}

} // namespace
