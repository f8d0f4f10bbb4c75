// Direct3D 9 text: implements drawScreenText of gfx/graphics.h, and the text font that
// d3d9_graphics.cpp makes, loses, resets and releases with the device. With D3DX, ID3DXFont
// draws the texts of a frame in one shared sprite batch. Without it, GDI lays each text out
// (gdi_font.cpp), the coverage becomes a managed texture kept in the core's TextCache, and the
// text is drawn in one draw of pre-transformed quads over its inked areas in its colour
// (d3d9_screen.cpp), which puts back the states it sets, as ID3DXFont leaves the device. The
// frame's sprite batch is closed by the first verb after its texts that draws or sets state
// (endTextBatch), so that what that verb draws or sets is neither drawn under nor undone by the
// sprite's own state.

#include "gfx/text_cache.h"
#include "platform/d3d9/d3d9_graphics.h"
#include "platform/d3d9/d3dx_runtime.h"
#include "platform/d3d9/gdi_font.h"
#include "platform/win32/win32_code_page.h"

#include <utility>

namespace {

// 14 pixels high, normal weight, chosen by the Japanese character set, any face.
constexpr LONG textFontHeight = 14;
constexpr LONG fontWeightNormal = FW_NORMAL;
constexpr BYTE shiftJisCharset = SHIFTJIS_CHARSET;
// Left and top aligned at the point given, tabs expanded, unclipped.
constexpr DWORD textFormat = DT_LEFT | DT_TOP | DT_EXPANDTABS | DT_NOCLIP;

// With D3DX: its font, and one sprite shared by the texts of a frame (without it the font
// sets up and restores its drawing state for every text), begun by the frame's first text.
ID3DXFont* textFont = nullptr;
ID3DXSprite* textSprite = nullptr;
bool textSpriteBegun = false;

// Without D3DX: our font and the textures of the last texts drawn.
GdiFont* gdiFont = nullptr;
TextCache textCache;

// ---------------------------------------------------------------------------------------------
// D3DX's font

HRESULT createD3dxFont() {
    D3DXFONT_DESCW description{};
    description.Height = textFontHeight;
    description.Weight = fontWeightNormal;
    description.CharSet = shiftJisCharset;
    const HRESULT result = d3dxFunctions()->createFontIndirect(device, &description, &textFont);
    if (FAILED(result)) {
        textFont = nullptr;
    } else if (FAILED(d3dxFunctions()->createSprite(device, &textSprite))) {
        textSprite = nullptr; // each text then sets up its own state
    }
    return result;
}

// The sprite asks for anisotropic or linear filtering between mipmap levels, which a software
// rasteriser pays for in every text pixel: under Wine on the demo scene it made the texts
// cost as much as the model and wall together. Glyphs are drawn texel for texel, so the
// nearest texel is the one wanted (under Wine the filtering also blurred their edges). The
// sprite puts the previous filters back when it ends.
void beginTextBatch() {
    if (textSprite == nullptr || textSpriteBegun) {
        return;
    }
    textSpriteBegun = SUCCEEDED(textSprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE));
    if (textSpriteBegun) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    }
}

void drawWithD3dx(int x, int y, const char* text, D3DCOLOR color) {
    beginTextBatch();
    RECT area = {x, y, 0, 0};
    textFont->DrawTextW(textSpriteBegun ? textSprite : nullptr, fromCodePage932(text).c_str(), -1,
                        &area, textFormat, color);
}

// ---------------------------------------------------------------------------------------------
// Our font

// The texture of the laid-out text; none for a text that covers no pixel or when it cannot be
// made.
CachedText makeCachedText(const char* text) {
    const TextImage image = layOutText(*gdiFont, fromCodePage932(text), textFormat);
    std::vector<TextArea> inked = inkedAreas(image);
    if (inked.empty()) {
        return CachedText{};
    }
    const UINT width = powerOfTwoAtLeast(image.width);
    const UINT height = powerOfTwoAtLeast(image.height);
    IDirect3DTexture9* texture = createTexelTexture(
        width, height, textTexels(image, static_cast<int>(width), static_cast<int>(height)));
    return {textureHandle(texture),
            image.left,
            image.top,
            image.width,
            image.height,
            static_cast<float>(image.width) / static_cast<float>(width),
            static_cast<float>(image.height) / static_cast<float>(height),
            std::move(inked)};
}

HRESULT createGdiFont() {
    LOGFONTW description{};
    description.lfHeight = textFontHeight;
    description.lfWeight = fontWeightNormal;
    description.lfCharSet = shiftJisCharset;
    gdiFont = openGdiFont(description);
    if (gdiFont == nullptr) {
        return E_FAIL;
    }
    return D3D_OK;
}

void drawWithGdi(int x, int y, const char* text, D3DCOLOR color) {
    const CachedText* cached = textCache.find(text);
    if (cached == nullptr) {
        const CachedText made = makeCachedText(text);
        if (made.texture == nullptr) {
            return; // nothing to draw, or no texture to draw it with: tried again next frame
        }
        cached = &textCache.add(text, made);
    }
    drawTransformedQuads(textQuads(*cached, x, y, color), direct3dTexture(cached->texture));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The font's life

HRESULT createTextFont() {
    return d3dxFunctions() != nullptr ? createD3dxFont() : createGdiFont();
}

void releaseTextFont() {
    textCache.clear();
    if (gdiFont != nullptr) {
        closeGdiFont(gdiFont);
        gdiFont = nullptr;
    }
    releaseIfMade(textSprite);
    releaseIfMade(textFont);
}

void endTextBatch() {
    if (textSpriteBegun) {
        textSprite->End();
        textSpriteBegun = false;
    }
}

void textFontOnLostDevice() {
    if (textSprite != nullptr) {
        textSprite->OnLostDevice();
    }
    if (textFont != nullptr) {
        textFont->OnLostDevice();
    }
}

void textFontOnResetDevice() {
    if (textSprite != nullptr) {
        textSprite->OnResetDevice();
    }
    if (textFont != nullptr) {
        textFont->OnResetDevice();
    }
}

void drawScreenText(int x, int y, const char* text, std::uint32_t color) {
    if (textFont != nullptr) {
        drawWithD3dx(x, y, text, color);
    } else if (gdiFont != nullptr) {
        drawWithGdi(x, y, text, color);
    }
}
