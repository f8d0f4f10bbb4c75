#include "scene/on_screen_text.h"

#include "fakes/recording_graphics.h"
#include "gfx/graphics_setup.h"
#include "scene/screen_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace rg = recording_graphics;

namespace {

TEST(OnScreenText, ThreeTextsAtTheirPlacesInLightGrey) {
    rg::reset();
    viewerState = ViewerState{};
    textFont = reinterpret_cast<FontHandle>(0xF0);
    drawOnScreenText();
    const std::vector<rg::Call> texts = rg::callsNamed("drawFontText");
    ASSERT_EQ(3u, texts.size());
    const TextRect places[3] = {{50, 432, 0, 0}, {20, 6, 0, 0}, {20, 24, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(places[i], texts[i].rect) << i;
        // font, whole text (-1), DT_LEFT | DT_TOP | DT_EXPANDTABS | DT_NOCLIP, colour
        EXPECT_EQ(
            (std::vector<std::uintptr_t>{0xF0, static_cast<std::uintptr_t>(-1), 0x140, 0xFFC8C8C8}),
            texts[i].values);
    }
    EXPECT_EQ(std::string(helpText), texts[0].text);
    EXPECT_EQ(std::string(keyLegendLine), texts[1].text);
    EXPECT_NE(std::string::npos, texts[2].text.find("[透明 200]"));
}

TEST(OnScreenText, HelpTextStartsThreeQuartersDown) {
    EXPECT_EQ(432, helpTextTop(576));
    EXPECT_EQ(0, helpTextTop(1));
    EXPECT_EQ(2, helpTextTop(3)) << "cut toward zero";
}

} // namespace
