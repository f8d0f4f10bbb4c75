// The texts drawn over the picture, as the bytes the platform receives in code page 932. The
// expected texts are written out here line by line, blank by blank: "\u3000" is the wide
// (ideographic) blank, 0x81 0x40 in code page 932.
#include "scene/screen_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::string wideBlank = "\x81\x40";

// The texts compared below are compiled in the same code page as the viewer's: the help's first
// line, byte for byte, shows that it is 932.
TEST(ScreenTexts, HelpAndLegendReadLetterForLetterInCodePage932) {
    EXPECT_EQ(0, std::strncmp(helpText, "\x8e\x67\x97\x70\x83\x4c\x81\x5b\n", 9)) << "使用キー";
    const std::string help = std::string("使用キー\n") + "ESCキー \u3000\u3000\u3000\u3000終了\n" +
                             "テンキー\u3000\u3000\u3000\u30002,4,6,8  (移動)\n" +
                             "テンキー         1,3,7,9,+,-,*,/\n" +
                             "        Shift 左右\u3000Ctrl 左右   (物体動作)\n" +
                             "PageUp,PageDown,←,↑,→,↓  (視点変化)\n" + "A S D W  (フィルタ移動)\n" +
                             "Q E Z C  (フィルタ拡大縮小)\n" + "Enter     (キャプチャ)";
    EXPECT_EQ(help, helpText);
    const std::string fourWide = "\u3000\u3000\u3000\u3000";
    const std::string legend = "キーボード:\u30001 2" + fourWide + "3 4" + fourWide + "5 6" +
                               fourWide + fourWide + fourWide + fourWide + "\u3000\u3000" +
                               "7 U \u3000 \u3000\u30008 I \u3000 9 O\u3000  0 P";
    EXPECT_EQ(legend, keyLegendLine);
}

TEST(ScreenTexts, ValueLineTakesEachNumberInItsPlaceAtItsOwnWidth) {
    ViewerState state;
    char buffer[textBufferSize];
    formatValueLine(buffer, state);
    const std::string initial = buffer;
    EXPECT_NE(std::string::npos, initial.find("[赤 250]"));
    EXPECT_NE(std::string::npos, initial.find("[透明 200]" + wideBlank + wideBlank + "99 "));
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
