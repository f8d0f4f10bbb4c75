// OpenGL text: implements drawScreenText of gfx/graphics.h, and the capture button's caption
// for sdl_window.cpp. A text is laid out by ft_font.cpp into coverage, turned into a texture
// of white texels and kept in the core's text cache, and drawn as a blended quad at whole
// pixels, as D3DX's font draws its glyph textures. Links libepoxy through gl_screen.cpp.

#include "ft_font.h"
#include "gl_graphics.h"
#include "app/startup_failure.h"
#include "window/window_layout.h"

#include <string>

namespace {

constexpr int textFontHeight = 14;

// A font and the textures of the texts last drawn in it.
struct TextFont {
    FontObject* font = nullptr;
    TextCache cache;
};

TextFont textFont;
TextFont buttonFont;

const CachedText& cachedText(TextFont& font, std::string_view text) {
    if (const CachedText* known = font.cache.find(text)) {
        return *known;
    }
    const TextImage image = layOutText(*font.font, text);
    CachedText made{};
    made.left = image.left;
    made.top = image.top;
    made.width = image.width;
    made.height = image.height;
    if (image.width > 0 && image.height > 0) {
        made.texture = createTextureFromTexels(textTexels(image, image.width, image.height).data(),
                                               image.width, image.height);
    }
    return font.cache.add(std::string(text), made);
}

void drawCachedText(const CachedText& text, int x, int y, std::uint32_t color) {
    if (text.texture != nullptr) {
        drawPlatformQuad(textQuad(text, x, y, color), text.texture);
    }
}

void closeFontAndTexts(TextFont& font) {
    font.cache.clear();
    if (font.font != nullptr) {
        closeFont(font.font);
        font.font = nullptr;
    }
}

} // namespace

bool openTextFont() {
    std::string why;
    textFont.font = openFont(textFontHeight, why);
    if (textFont.font == nullptr) {
        noteStartUpFailure(why);
        return false;
    }
    return true;
}

void closeTextFont() {
    closeFontAndTexts(textFont);
}

// The caption is drawn in the texts' face at the button's size (one face to find and open at
// start-up). Without its font the button has no caption, and the viewer runs on.
void openButtonFont() {
    std::string why;
    buttonFont.font = openFont(-window_layout::captureButtonTextHeight, why);
}

void closeButtonFont() {
    closeFontAndTexts(buttonFont);
}

void drawScreenText(int x, int y, const char* text, std::uint32_t color) {
    if (textFont.font != nullptr) {
        drawCachedText(cachedText(textFont, text), x, y, color);
    }
}

void drawButtonCaption(std::string_view text, int x, int y, int width, int height,
                       std::uint32_t color) {
    if (buttonFont.font == nullptr) {
        return;
    }
    const CachedText& caption = cachedText(buttonFont, text);
    drawCachedText(caption, x + (width - (caption.left + caption.width)) / 2,
                   y + (height - lineHeight(*buttonFont.font)) / 2, color);
}
