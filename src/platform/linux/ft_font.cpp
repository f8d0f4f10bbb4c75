// The text font: implements createFontIndirect and drawFontText of gfx/graphics.h with
// fontconfig (finding a face that has every character the viewer draws), FreeType (sizing and
// rasterising glyphs) and OpenGL (each distinct text becomes one coverage texture, drawn as a
// blended quad at whole pixels, as D3DX's font draws its glyph textures). Texts arrive in code
// page 932. Links fontconfig, freetype and libepoxy.

#include "ft_font.h"

#include "gl_device.h"
#include "linux_platform.h"
#include "scene/screen_texts.h"
#include "window/window_layout.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>

namespace {

constexpr GraphicsResult graphicsFailed = static_cast<GraphicsResult>(0x80004005); // E_FAIL
constexpr const char* fallbackFace = "IPAGothic";
constexpr std::uint8_t shiftJisCharset = 128;
constexpr int defaultPixelHeight = 16;
constexpr int tabStopCharacters = 8;
constexpr std::uint32_t formatSingleLine = 0x20; // DT_SINGLELINE
constexpr std::uint32_t formatExpandTabs = 0x40; // DT_EXPANDTABS
constexpr std::uint32_t formatNoClip = 0x100;    // DT_NOCLIP
constexpr std::size_t cachedTextLimit = 64;

struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<std::uint8_t> coverage;
};

} // namespace

struct FontObject {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int cellHeight = 0;
    int ascent = 0;
    int averageWidth = 0;
    std::unordered_map<char32_t, Glyph> glyphs;
    std::unordered_map<std::string, std::pair<TextImage, TextureObject*>> texts;
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

// The first face in fontconfig's order for the families that has every character drawn: the
// families themselves first, then their substitutes (sans-serif, whose Japanese faces are
// Gothic ones), then any other face, Mincho and the like. The nearest match alone could be a
// Latin face that draws the Japanese texts as empty boxes.
bool findCoveringFace(std::initializer_list<std::string> families, bool japanese, std::string& file,
                      int& index) {
    FcPattern* pattern = FcPatternCreate();
    for (const std::string& family : families) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    if (japanese) {
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    }
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

// The named face when it is installed, else the Japanese Gothic, else any face that shows the
// texts.
bool chooseFaceFile(const FontDescription& description, std::string& file, int& index) {
    return FcInit() && findCoveringFace({utf8FromCp932(description.faceName), fallbackFace},
                                        description.charSet == shiftJisCharset, file, index);
}

// A positive height is the cell (ascent plus descent), a negative one the em, as the font
// calls take them. The ascent and descent are the face's horizontal header's, which is what
// sizes the Windows build's text (IPAGothic at height 14 is drawn at 14 pixels per em there).
void sizeFace(FontObject& font, std::int32_t height) {
    FT_Face face = font.face;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    const double ascentUnits = face->ascender;
    const double descentUnits = -face->descender;
    const double averageUnits = os2 != nullptr ? os2->xAvgCharWidth : unitsPerEm / 2;
    double em = defaultPixelHeight;
    if (height > 0) {
        em = height * unitsPerEm / (ascentUnits + descentUnits);
    } else if (height < 0) {
        em = -height;
    }
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
    const FT_UInt index = FT_Get_Char_Index(font.face, codePoint);
    if (FT_Load_Glyph(font.face, index, FT_LOAD_DEFAULT) == 0 &&
        FT_Render_Glyph(font.face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
        const FT_GlyphSlot slot = font.face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
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

std::vector<PlacedGlyph> placeGlyphs(FontObject& font, std::string_view text, std::uint32_t format,
                                     int& lineCount) {
    std::vector<PlacedGlyph> placed;
    const int tabStop = tabStopCharacters * font.averageWidth;
    int penX = 0;
    int line = 0;
    for (const char32_t codePoint : codePointsFromCp932(text)) {
        if (codePoint == U'\n' && (format & formatSingleLine) == 0) {
            penX = 0;
            ++line;
            continue;
        }
        if (codePoint == U'\r') {
            continue;
        }
        if (codePoint == U'\t' && (format & formatExpandTabs) != 0) {
            penX = (penX / tabStop + 1) * tabStop;
            continue;
        }
        const Glyph& glyph = glyphOf(font, codePoint);
        placed.push_back(
            {&glyph, penX + glyph.left, line * font.cellHeight + font.ascent - glyph.top});
        penX += glyph.advance;
    }
    lineCount = text.empty() ? 0 : line + 1;
    return placed;
}

TextureObject* textureOf(const TextImage& image) {
    if (image.width == 0 || image.height == 0) {
        return nullptr;
    }
    // White texels whose alpha is the coverage, so the vertex colour gives the text its colour.
    std::vector<std::uint8_t> rgba(image.coverage.size() * 4, 0xFF);
    for (std::size_t i = 0; i < image.coverage.size(); ++i) {
        rgba[4 * i + 3] = image.coverage[i];
    }
    return createTextureFromPixels(rgba.data(), image.width, image.height);
}

void releaseCachedTexts(FontObject& font) {
    for (auto& entry : font.texts) {
        if (entry.second.second != nullptr) {
            releaseTexture(entry.second.second);
        }
    }
    font.texts.clear();
}

const std::pair<TextImage, TextureObject*>& cachedText(FontObject& font, std::string_view text,
                                                       std::uint32_t format) {
    std::string key(text);
    key.push_back(static_cast<char>(format & 0xFF));
    key.push_back(static_cast<char>((format >> 8) & 0xFF));
    const auto known = font.texts.find(key);
    if (known != font.texts.end()) {
        return known->second;
    }
    if (font.texts.size() >= cachedTextLimit) {
        releaseCachedTexts(font);
    }
    TextImage image = layOutText(font, text, format);
    TextureObject* texture = textureOf(image);
    return font.texts.emplace(std::move(key), std::make_pair(std::move(image), texture))
        .first->second;
}

void drawQuad(DeviceObject& device, float x, float y, float width, float height,
              std::uint32_t color, const TextureObject* texture) {
    const ScreenVertex corners[4] = {
        {x, y, 0.0f, 1.0f, color, 0.0f, 0.0f},
        {x + width, y, 0.0f, 1.0f, color, 1.0f, 0.0f},
        {x, y + height, 0.0f, 1.0f, color, 0.0f, 1.0f},
        {x + width, y + height, 0.0f, 1.0f, color, 1.0f, 1.0f},
    };
    drawScreenStrip(device, corners, 4, texture);
}

} // namespace

FontObject* openFont(const FontDescription& description, std::string& why) {
    std::string file;
    int index = 0;
    if (!chooseFaceFile(description, file, index)) {
        why = "no font: no installed font has the Japanese texts' characters; install "
              "fonts-ipafont-gothic or any Japanese font";
        return nullptr;
    }
    auto font = std::make_unique<FontObject>();
    if (FT_Init_FreeType(&font->library) != 0) {
        why = "no font: FreeType does not start";
        return nullptr;
    }
    if (FT_New_Face(font->library, file.c_str(), index, &font->face) != 0) {
        FT_Done_FreeType(font->library);
        why = "no font: FreeType cannot open " + file;
        return nullptr;
    }
    sizeFace(*font, description.height);
    return font.release();
}

void closeFont(FontObject* font) {
    releaseCachedTexts(*font);
    FT_Done_Face(font->face);
    FT_Done_FreeType(font->library);
    delete font;
}

int lineHeight(const FontObject& font) {
    return font.cellHeight;
}

TextImage layOutText(FontObject& font, std::string_view text, std::uint32_t format) {
    TextImage image;
    const std::vector<PlacedGlyph> placed = placeGlyphs(font, text, format, image.lineCount);
    int right = 0;
    int bottom = 0;
    bool first = true;
    for (const PlacedGlyph& p : placed) {
        if (p.glyph->width == 0 || p.glyph->height == 0) {
            continue;
        }
        image.left = first ? p.x : std::min(image.left, p.x);
        image.top = first ? p.y : std::min(image.top, p.y);
        right = first ? p.x + p.glyph->width : std::max(right, p.x + p.glyph->width);
        bottom = first ? p.y + p.glyph->height : std::max(bottom, p.y + p.glyph->height);
        first = false;
    }
    if (first) {
        return image;
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

std::int32_t drawTextInFont(FontObject& font, std::string_view text, const TextRect& rect,
                            std::uint32_t format, std::uint32_t color) {
    if (currentDevice == nullptr) {
        return 0;
    }
    DeviceObject& device = *currentDevice;
    const auto& [image, texture] = cachedText(font, text, format);
    if (texture != nullptr) {
        const bool clip = (format & formatNoClip) == 0;
        if (clip) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(rect.left, device.height - rect.bottom, rect.right - rect.left,
                      rect.bottom - rect.top);
        }
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glUseProgram(device.screen.name);
        drawQuad(device, static_cast<float>(rect.left + image.left),
                 static_cast<float>(rect.top + image.top), static_cast<float>(image.width),
                 static_cast<float>(image.height), color, texture);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_SCISSOR_TEST);
        applyBlendState(device);
    }
    return image.lineCount * font.cellHeight;
}

GraphicsResult createFontIndirect(DeviceHandle, const FontDescription& description,
                                  FontHandle& font) {
    std::string why;
    font = openFont(description, why);
    if (font == nullptr) {
        noteStartUpFailure(why);
        return graphicsFailed;
    }
    return graphicsOk;
}

std::int32_t drawFontText(FontHandle font, const char* text, std::int32_t count,
                          const TextRect& rect, std::uint32_t format, std::uint32_t color) {
    if (font == nullptr || text == nullptr) {
        return 0;
    }
    const std::string_view whole = count < 0
                                       ? std::string_view(text)
                                       : std::string_view(text, static_cast<std::size_t>(count));
    return drawTextInFont(*font, whole, rect, format, color);
}

void releaseFont(FontHandle font) {
    releaseCachedTexts(*font);
    closeFont(font);
}

// The font's textures are ordinary OpenGL textures, which no device loss takes away.
void fontOnLostDevice(FontHandle) {}

GraphicsResult fontOnResetDevice(FontHandle) {
    return graphicsOk;
}
