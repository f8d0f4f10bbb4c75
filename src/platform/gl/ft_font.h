// Laying a text out into coverage in a face that FreeType rasterises and fontconfig finds, for
// gl_text.cpp.
#pragma once

#include "gfx/text_cache.h"

#include <string>
#include <string_view>

struct FontObject;

// Opens the Japanese Gothic, or else any face that has every character of the viewer's texts,
// at the height: a positive one is the cell (ascent plus descent), a negative one the em, as
// GDI sizes a font. Every font open at once shares one face. Null, with the reason, when no
// installed face has them all or none can be opened.
FontObject* openFont(int height, std::string& why);

void closeFont(FontObject* font);

// The font's cell height: the distance from one line to the next.
int lineHeight(const FontObject& font);

// Lays the code page 932 text out in the font from its top-left corner: line feeds start new
// lines, tabs stop every eight average character widths.
TextImage layOutText(FontObject& font, std::string_view text);
