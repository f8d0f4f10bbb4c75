// The value line drawn over the picture, as the bytes the platform receives in code page 932:
// "\u3000" is the wide (ideographic) blank, 0x81 0x40 in code page 932.
#include "scene/screen_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ScreenTexts, ValueLineTakesEachNumberInItsPlaceAtItsOwnWidth) {
    ViewerState state;
    char buffer[textBufferSize];
    formatValueLine(buffer, state);
    const std::string initial = buffer;
    // Spelled in bytes, since this file is compiled in the viewer's code page: 赤 is 0x90 0xD4.
    EXPECT_NE(std::string::npos, initial.find("[\x90\xd4 250]")) << "code page 932";
    EXPECT_EQ(91u - 7 * 2 + 4 * 3 + 3 * 2, initial.size()) << "four 3-digit and three 2-digit";

    state.filterRed = 1;
    state.filterGreen = 23;
    state.filterBlue = 145;
    state.filterAlpha = 8;
    state.ambientRedPercent = 67;
    state.ambientGreenPercent = 100;
    state.ambientBluePercent = 4;
    formatValueLine(buffer, state);
    const std::string fourteenWide = "\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
                                     "\u3000\u3000\u3000\u3000\u3000";
    EXPECT_EQ("\u3000\u3000\u3000\u3000\u3000[赤 1]\u3000[緑 23]\u3000[青 145]" + fourteenWide +
                  " [透明 8]\u3000\u300067 \u3000 100 \u3000 4",
              std::string(buffer));
}

} // namespace
