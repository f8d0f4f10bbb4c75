// The text font as FreeType sees it: a face found through fontconfig for a font description,
// sized as GDI sizes a font of that height, and the layout of a text into a coverage image
// the way DrawText lays it out (left and top aligned, line feeds, tab stops).
#pragma once

#include "gfx/graphics.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TextureObject;

// Coverage of one laid-out text: one byte per pixel, top row first, placed at (left, top)
// from the text's origin.
struct TextImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int lineCount = 0;
    std::vector<std::uint8_t> coverage;
};

// Opens the face the description names, or the Japanese Gothic fallback when that face is not
// installed, or else any face that has every character of the viewer's texts. Null, with the
// reason, when no installed face has them all or none can be opened.
FontObject* openFont(const FontDescription& description, std::string& why);

void closeFont(FontObject* font);

// The font's cell height: the distance from one line to the next.
int lineHeight(const FontObject& font);

// Lays the code page 932 text out in the font; format is DrawText's (DT_EXPANDTABS,
// DT_SINGLELINE are honoured).
TextImage layOutText(FontObject& font, std::string_view text, std::uint32_t format);

// Draws text with the font at the rectangle's top-left corner in the colour (ARGB), blended
// over the picture; clipped to the rectangle unless the format has DT_NOCLIP. Keeps the texture
// of each distinct text for the next frames. Returns the text's height.
std::int32_t drawTextInFont(FontObject& font, std::string_view text, const TextRect& rect,
                            std::uint32_t format, std::uint32_t color);
