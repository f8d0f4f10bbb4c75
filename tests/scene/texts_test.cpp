// The texts drawn over the picture, as the bytes the platform receives in code page 932.
#include "scene/screen_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::string wideBlank = "\x81\x40";

TEST(ScreenTexts, StoredInCodePage932AtTheirLengths) {
    EXPECT_EQ(252u, std::strlen(helpText));
    EXPECT_EQ(102u, std::strlen(keyLegendLine));
    EXPECT_EQ(91u, std::strlen(valueLine));
    EXPECT_EQ(0, std::strncmp(helpText, "\x8e\x67\x97\x70\x83\x4c\x81\x5b\n", 9)) << "使用キー";
    EXPECT_EQ("Enter     (キャプチャ)", std::string(std::strrchr(helpText, '\n') + 1));
}

TEST(ScreenTexts, ValueLineTakesEachNumberAtItsOwnWidth) {
    ViewerState state;
    char buffer[textBufferSize];
    formatValueLine(buffer, state);
    const std::string initial = buffer;
    EXPECT_NE(std::string::npos, initial.find("[赤 250]"));
    EXPECT_NE(std::string::npos, initial.find("[透明 200]" + wideBlank + wideBlank + "99 "));
    EXPECT_EQ(91u - 7 * 2 + 4 * 3 + 3 * 2, initial.size()) << "four 3-digit and three 2-digit";

    state.filterRed = 1;
    state.filterAlpha = 8;
    state.ambientBluePercent = 100;
    formatValueLine(buffer, state);
    const std::string changed = buffer;
    EXPECT_NE(std::string::npos, changed.find("[赤 1]" + wideBlank + "[緑 250]"));
    EXPECT_NE(std::string::npos, changed.find("[透明 8]"));
    EXPECT_EQ(" " + wideBlank + " 100", changed.substr(changed.size() - 7));
}

} // namespace
