#include "scene/screen_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string wideBlank = "\x81\x40";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        result.push_back(text.substr(start, end - start));
    }
    result.push_back(text.substr(start));
    return result;
}

// Counts blanks as the runs they form, left to right: "A" for ASCII, "W" for wide.
std::string blankRuns(const std::string& line) {
    std::string runs;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == ' ') {
            runs += 'A';
            ++i;
        } else if (line.compare(i, 2, wideBlank) == 0) {
            runs += 'W';
            i += 2;
        } else {
            if (!runs.empty() && runs.back() != '|') {
                runs += '|';
            }
            // A double-byte character's lead byte is 0x81..0x9F or 0xE0..0xFC.
            const auto byte = static_cast<unsigned char>(line[i]);
            i += (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0 ? 2 : 1;
        }
    }
    if (!runs.empty() && runs.back() == '|') {
        runs.pop_back();
    }
    return runs;
}

TEST(ScreenTexts, LengthsInCodePage932) {
    EXPECT_EQ(252u, std::strlen(helpText));
    EXPECT_EQ(102u, std::strlen(keyLegendLine));
    EXPECT_EQ(91u, std::strlen(valueLine));
    EXPECT_LT(std::strlen(helpText), textBufferSize);
}

TEST(ScreenTexts, HelpTextHasNineLinesWithTheirBlanks) {
    const std::vector<std::string> help = lines(helpText);
    ASSERT_EQ(9u, help.size());
    EXPECT_EQ("使用キー", help[0]);
    const std::vector<std::string> expectedRuns = {
        "",   "AWWWW",    "WWWW|AA",  "AAAAAAAAA", "AAAAAAAA|A|W|A|AAA",
        "AA", "A|A|A|AA", "A|A|A|AA", "AAAAA"};
    for (std::size_t i = 0; i < help.size(); ++i) {
        EXPECT_EQ(expectedRuns[i], blankRuns(help[i])) << "line " << i + 1;
    }
    EXPECT_EQ("Enter     (キャプチャ)", help[8]);
}

TEST(ScreenTexts, LegendAndValueLineBlanks) {
    EXPECT_EQ("W|A|WWWW|A|WWWW|A|WWWWWWWWWWWWWWWWWW|A|AWAWW|A|AWA|A|WAA|A",
              blankRuns(keyLegendLine));
    EXPECT_EQ("WWWWW|A|W|A|W|A|WWWWWWWWWWWWWWA|A|WW|AWA|AWA", blankRuns(valueLine));
}

TEST(ScreenTexts, ValueLineTakesEachNumberAtItsOwnWidth) {
    ViewerState state;
    char buffer[textBufferSize];
    formatValueLine(buffer, state);
    const std::string initial = buffer;
    EXPECT_NE(std::string::npos, initial.find("[赤 250]"));
    EXPECT_NE(std::string::npos, initial.find("[透明 200]" + wideBlank + wideBlank + "99 "));
    // Seven "%d" give way to four three-digit and three two-digit numbers.
    EXPECT_EQ(91u - 7 * 2 + 4 * 3 + 3 * 2, initial.size());

    state.filterRed = 1;
    state.filterAlpha = 8;
    state.ambientBluePercent = 100;
    formatValueLine(buffer, state);
    const std::string changed = buffer;
    EXPECT_NE(std::string::npos, changed.find("[赤 1]" + wideBlank + "[緑 250]"));
    EXPECT_NE(std::string::npos, changed.find("[透明 8]"));
    EXPECT_EQ(" " + wideBlank + " 100", changed.substr(changed.size() - 7));
    EXPECT_EQ(initial.size() - 2 - 2 + 1, changed.size()) << "1 and 8 are one digit, 100 three";
}

} // namespace
