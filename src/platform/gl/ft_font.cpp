// Laying a text out into coverage for gl_text.cpp: fontconfig finds one face, once, that has
// every character the viewer draws (the texts and the button's caption share it), FreeType sizes it
// and rasterises its glyphs, and the glyphs are placed as DrawText places them (left and top
// aligned, line feeds, tab stops). Texts arrive in code page 932. Links fontconfig and freetype.

#include "ft_font.h"

#include "platform/sdl/iconv_code_page.h"
#include "scene/screen_texts.h"
#include "window/window_layout.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* textFace = "IPAGothic";
constexpr int tabStopCharacters = 8;

// A glyph's coverage, placed from the pen on the baseline, and how far it moves the pen.
struct Glyph : TextImage {
    int advance = 0;
};

// The one face both fonts draw in, found and opened once, and closed with the last font.
struct SharedFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~SharedFace() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
};

} // namespace

struct FontObject {
    std::shared_ptr<SharedFace> shared;
    FT_Size size = nullptr; // the font's height, one of the face's sizes
    int cellHeight = 0;
    int ascent = 0;
    int averageWidth = 0;
    std::unordered_map<char32_t, Glyph> glyphs;
};

namespace {

// ---------------------------------------------------------------------------------------------
// Finding the face

// Every character the viewer draws: its three texts (the value line's numbers are digits and
// minus signs, which the help text has too) and the capture button's caption.
FcCharSet* charactersDrawn() {
    FcCharSet* characters = FcCharSetCreate();
    for (const char* text :
         {helpText, keyLegendLine, valueLine, window_layout::captureButtonCaption}) {
        for (const char32_t codePoint : codePointsFromCp932(text)) {
            if (codePoint >= U' ') {
                FcCharSetAddChar(characters, codePoint);
            }
        }
    }
    return characters;
}

// The first face in fontconfig's order that has every character drawn: the Japanese Gothic
// first, then its substitutes (sans-serif, whose Japanese faces are Gothic ones), then any
// other face, Mincho and the like. The nearest match alone could be a Latin face that draws the
// Japanese texts as empty boxes.
bool findCoveringFace(std::string& file, int& index) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(textFace));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* faces = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    if (faces == nullptr) {
        return false;
    }
    FcCharSet* needed = charactersDrawn();
    bool found = false;
    for (int i = 0; i < faces->nfont && !found; ++i) {
        FcCharSet* has = nullptr;
        FcChar8* path = nullptr;
        found = FcPatternGetCharSet(faces->fonts[i], FC_CHARSET, 0, &has) == FcResultMatch &&
                FcCharSetIsSubset(needed, has) &&
                FcPatternGetString(faces->fonts[i], FC_FILE, 0, &path) == FcResultMatch;
        if (found) {
            file = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(faces->fonts[i], FC_INDEX, 0, &index) != FcResultMatch) {
                index = 0;
            }
        }
    }
    FcCharSetDestroy(needed);
    FcFontSetDestroy(faces);
    return found;
}

// The face both fonts share, found and opened by the first of them.
std::weak_ptr<SharedFace> openFace;

std::shared_ptr<SharedFace> sharedFace(std::string& why) {
    if (std::shared_ptr<SharedFace> open = openFace.lock()) {
        return open;
    }
    std::string file;
    int index = 0;
    if (!FcInit() || !findCoveringFace(file, index)) {
        why = "no font: no installed font has the Japanese texts' characters; install "
              "fonts-ipafont-gothic or any Japanese font";
        return nullptr;
    }
    auto shared = std::make_shared<SharedFace>();
    if (FT_Init_FreeType(&shared->library) != 0 ||
        FT_New_Face(shared->library, file.c_str(), index, &shared->face) != 0) {
        why = "no font: FreeType cannot open " + file;
        return nullptr;
    }
    openFace = shared;
    return shared;
}

// A positive height is the cell (ascent plus descent), a negative one the em, as the font
// calls take them. The ascent and descent are the face's horizontal header's, which is what
// sizes the Windows build's text (IPAGothic at height 14 is drawn at 14 pixels per em there).
void sizeFace(FontObject& font, std::int32_t height) {
    FT_Face face = font.shared->face;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    const double ascentUnits = face->ascender;
    const double descentUnits = -face->descender;
    const double averageUnits = os2 != nullptr ? os2->xAvgCharWidth : unitsPerEm / 2;
    const double em = height > 0 ? height * unitsPerEm / (ascentUnits + descentUnits) : -height;
    const double scale = em / unitsPerEm;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::lround(em)));
    font.ascent = static_cast<int>(std::lround(ascentUnits * scale));
    font.cellHeight = font.ascent + static_cast<int>(std::lround(descentUnits * scale));
    font.averageWidth = std::max(1, static_cast<int>(std::lround(averageUnits * scale)));
}

// ---------------------------------------------------------------------------------------------
// Glyphs and layout

const Glyph& glyphOf(FontObject& font, char32_t codePoint) {
    const auto known = font.glyphs.find(codePoint);
    if (known != font.glyphs.end()) {
        return known->second;
    }
    Glyph glyph;
    FT_Activate_Size(font.size);
    FT_Face face = font.shared->face;
    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0 &&
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.left = slot->bitmap_left;
        glyph.top = -slot->bitmap_top;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.height = static_cast<int>(bitmap.rows);
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
        for (int row = 0; row < glyph.height; ++row) {
            std::copy_n(bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch,
                        glyph.width, glyph.coverage.begin() + row * glyph.width);
        }
    }
    return font.glyphs.emplace(codePoint, std::move(glyph)).first->second;
}

struct PlacedGlyph {
    const Glyph* glyph;
    int x; // top-left corner of its bitmap from the text's origin
    int y;
};

// The glyphs that cover pixels, in the text's order.
std::vector<PlacedGlyph> placeGlyphs(FontObject& font, std::string_view text) {
    std::vector<PlacedGlyph> placed;
    const int tabStop = tabStopCharacters * font.averageWidth;
    int penX = 0;
    int line = 0;
    for (const char32_t codePoint : codePointsFromCp932(text)) {
        if (codePoint == U'\n') {
            penX = 0;
            ++line;
            continue;
        }
        if (codePoint == U'\r') {
            continue;
        }
        if (codePoint == U'\t') {
            penX = (penX / tabStop + 1) * tabStop;
            continue;
        }
        const Glyph& glyph = glyphOf(font, codePoint);
        if (glyph.width > 0 && glyph.height > 0) {
            placed.push_back(
                {&glyph, penX + glyph.left, line * font.cellHeight + font.ascent + glyph.top});
        }
        penX += glyph.advance;
    }
    return placed;
}

} // namespace

FontObject* openFont(int height, std::string& why) {
    std::shared_ptr<SharedFace> shared = sharedFace(why);
    if (!shared) {
        return nullptr;
    }
    auto font = std::make_unique<FontObject>();
    if (FT_New_Size(shared->face, &font->size) != 0) {
        why = "no font: FreeType cannot size the face";
        return nullptr;
    }
    font->shared = std::move(shared);
    FT_Activate_Size(font->size);
    sizeFace(*font, height);
    return font.release();
}

void closeFont(FontObject* font) {
    FT_Done_Size(font->size);
    delete font;
}

int lineHeight(const FontObject& font) {
    return font.cellHeight;
}

TextImage layOutText(FontObject& font, std::string_view text) {
    TextImage image;
    const std::vector<PlacedGlyph> placed = placeGlyphs(font, text);
    if (placed.empty()) {
        return image;
    }
    image.left = image.top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    for (const PlacedGlyph& p : placed) {
        image.left = std::min(image.left, p.x);
        image.top = std::min(image.top, p.y);
        right = std::max(right, p.x + p.glyph->width);
        bottom = std::max(bottom, p.y + p.glyph->height);
    }
    image.width = right - image.left;
    image.height = bottom - image.top;
    image.coverage.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    for (const PlacedGlyph& p : placed) {
        for (int row = 0; row < p.glyph->height; ++row) {
            for (int column = 0; column < p.glyph->width; ++column) {
                std::uint8_t& pixel =
                    image.coverage[static_cast<std::size_t>(p.y - image.top + row) * image.width +
                                   (p.x - image.left + column)];
                pixel = std::max(pixel, p.glyph->coverage[row * p.glyph->width + column]);
            }
        }
    }
    return image;
}
