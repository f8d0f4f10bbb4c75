#include "scene/on_screen_text.h"

#include "gfx/graphics.h"
#include "scene/screen_texts.h"
#include "state/viewer_state.h"

#include <cstring>

namespace {

constexpr std::uint32_t textColor = 0xFFC8C8C8; // opaque light grey

constexpr int helpTextLeft = 50;
constexpr int legendLeft = 20;
constexpr int legendTop = 6;
constexpr int valueLineLeft = 20;
constexpr int valueLineTop = 24;

char textBuffer[textBufferSize];

void drawText(int x, int y, const char* text, std::uint32_t color) {
    drawScreenText(x, y, text, color);
}

// The help text starts three quarters down the picture.
int helpTextTop(int pictureHeight) {
    return static_cast<int>(static_cast<float>(3 * pictureHeight) / 4.0f);
}

} // namespace

void drawOnScreenText() {
    std::memset(textBuffer, 0, sizeof textBuffer);
    std::strcpy(textBuffer, helpText);
    drawText(helpTextLeft, helpTextTop(viewerState.backBufferHeight), textBuffer, textColor);
    std::strcpy(textBuffer, keyLegendLine);
    drawText(legendLeft, legendTop, textBuffer, textColor);
    formatValueLine(textBuffer, viewerState);
    drawText(valueLineLeft, valueLineTop, textBuffer, textColor);
}
