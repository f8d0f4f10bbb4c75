#include "state/viewer_state.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewerState, FreshRecordHoldsTheStartingView) {
    const ViewerState s;
    EXPECT_EQ(0xC8FAFAFAu, filterColor(s));
    EXPECT_EQ(0.99f, s.ambientRed);
    EXPECT_EQ(0.99000001f, s.ambientBlue) << "0.99 is stored as its nearest float";
    EXPECT_EQ(99, s.ambientGreenPercent);
    EXPECT_EQ(592, s.backBufferWidth);
    EXPECT_EQ(576, s.backBufferHeight);
    EXPECT_EQ(-3.0f, s.eyePosition.z);
    EXPECT_EQ(2.58f, s.modelPosition.y);
    EXPECT_EQ(0, s.captureCounter);
}

TEST(ViewerState, FilterColourPacksAlphaRedGreenBlue) {
    ViewerState s;
    s.filterAlpha = 8;
    s.filterRed = 1;
    s.filterGreen = 0x80;
    s.filterBlue = 255;
    EXPECT_EQ(0x080180FFu, filterColor(s));
    s.filterRed = 0x1FF; // only the low byte of each channel is used
    EXPECT_EQ(0x08FF80FFu, filterColor(s));
}

} // namespace
