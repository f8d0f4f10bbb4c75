// OpenGL text: implements drawScreenText and drawScreenCaption of gfx/graphics.h. A text is laid
// out by ft_font.cpp into coverage, turned into a texture of white texels and kept in the core's
// text cache, and drawn as blended quads over its inked areas at whole pixels, as D3DX's font
// draws its glyph textures, queued with the renderer's other quads (gl_screen.cpp). Links
// libepoxy through gl_screen.cpp.

#include "app/startup_failure.h"
#include "ft_font.h"
#include "gl_graphics.h"

#include <string>

namespace {

constexpr int textFontHeight = 14;

// A font and the textures of the texts last drawn in it.
struct TextFont {
    FontObject* font = nullptr;
    TextCache cache;
};

TextFont textFont;
// The captions' font, opened at the character height of the first caption drawn (0 before).
TextFont captionFont;
int captionCharacterHeight = 0;

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
    made.inked = inkedAreas(image);
    if (!made.inked.empty()) {
        made.texture = createTextureFromTexels(textTexels(image, image.width, image.height).data(),
                                               image.width, image.height);
    }
    return font.cache.add(std::string(text), made);
}

void drawCachedText(const CachedText& text, int x, int y, std::uint32_t color) {
    if (text.texture != nullptr) {
        for (const ScreenQuad& quad : textQuads(text, x, y, color)) {
            queuePlatformQuad(quad, text.texture);
        }
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
    closeFontAndTexts(captionFont);
    captionCharacterHeight = 0;
}

void drawScreenText(int x, int y, const char* text, std::uint32_t color) {
    if (textFont.font != nullptr) {
        drawCachedText(cachedText(textFont, text), x, y, color);
    }
}

// A caption is drawn in the texts' face (one face to find and open at start-up), its font
// opened once for the height asked. Without that font there is no caption, and the viewer runs
// on.
void drawScreenCaption(const ClientArea& rectangle, int characterHeight, const char* caption,
                       std::uint32_t color) {
    if (characterHeight != captionCharacterHeight) {
        closeFontAndTexts(captionFont);
        std::string why;
        captionFont.font = openFont(-characterHeight, why);
        captionCharacterHeight = characterHeight;
    }
    if (captionFont.font == nullptr) {
        return;
    }
    const CachedText& text = cachedText(captionFont, caption);
    drawCachedText(text, rectangle.x + (rectangle.width - (text.left + text.width)) / 2,
                   rectangle.y + (rectangle.height - lineHeight(*captionFont.font)) / 2, color);
}
