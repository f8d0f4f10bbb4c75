// Laying a text out with GDI: implements gdi_font.h. The face the description names is made
// with CreateFontIndirectW; each text is measured and drawn with DrawTextW, white on black,
// into a DIB section, whose brightness is the text's coverage. d3d9_text.cpp turns the coverage
// into a texture.

#include "platform/d3d9/gdi_font.h"

#include <algorithm>
#include <cstring>

struct GdiFont {
    HFONT font = nullptr;
    HDC dc = nullptr;
};

GdiFont* openGdiFont(const LOGFONTW& description) {
    auto* font = new GdiFont{CreateFontIndirectW(&description), CreateCompatibleDC(nullptr)};
    if (font->font == nullptr || font->dc == nullptr) {
        closeGdiFont(font);
        return nullptr;
    }
    SelectObject(font->dc, font->font);
    SetTextColor(font->dc, RGB(255, 255, 255));
    SetBkMode(font->dc, TRANSPARENT);
    return font;
}

void closeGdiFont(GdiFont* font) {
    if (font->dc != nullptr) {
        DeleteDC(font->dc);
    }
    if (font->font != nullptr) {
        DeleteObject(font->font);
    }
    delete font;
}

namespace {

// The text drawn white on black into a 32-bit DIB; its coverage is any channel's value.
bool rasterise(GdiFont& font, const std::wstring& text, UINT format, TextImage& image) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(font.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return false;
    }
    const HGDIOBJ previous = SelectObject(font.dc, bitmap);
    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    std::memset(bits, 0, pixels * 4);
    RECT area = {0, 0, image.width, image.height};
    DrawTextW(font.dc, text.c_str(), static_cast<int>(text.size()), &area, format);
    GdiFlush();
    image.coverage.resize(pixels);
    const auto* bgra = static_cast<const BYTE*>(bits);
    for (std::size_t i = 0; i < pixels; ++i) {
        image.coverage[i] = std::max({bgra[4 * i], bgra[4 * i + 1], bgra[4 * i + 2]});
    }
    SelectObject(font.dc, previous);
    DeleteObject(bitmap);
    return true;
}

} // namespace

TextImage layOutText(GdiFont& font, const std::wstring& text, UINT format) {
    TextImage image;
    RECT measured = {0, 0, 0, 0};
    image.height = DrawTextW(font.dc, text.c_str(), static_cast<int>(text.size()), &measured,
                             format | DT_CALCRECT);
    image.width = measured.right;
    if (image.width <= 0 || image.height <= 0 || !rasterise(font, text, format, image)) {
        return TextImage{};
    }
    return image;
}
