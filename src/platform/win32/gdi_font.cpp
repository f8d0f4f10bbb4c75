// The font without D3DX: the face the description names, made with CreateFontIndirectW, lays
// out each text with DrawTextW and the caller's format (tabs, line feeds) into a DIB section,
// white on black; the coverage becomes the alpha of a managed texture, and the text is drawn
// as one pre-transformed quad in the caller's colour at the rectangle's corner. Texts are
// kept by content, a few at a time: the help and legend never change, the value line only
// while a value does. The states the quad needs are set for it and put back afterwards, as
// ID3DXFont leaves the device.

#include "platform/win32/own_helpers.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

namespace {

constexpr std::size_t cachedTexts = 8;
constexpr DWORD quadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT codePage932 = 932;

struct TextImage {
    std::string key; // the format and the text's bytes
    IDirect3DTexture9* texture = nullptr;
    int width = 0;
    int height = 0;
    float right = 0; // texture coordinates of the image's far corner
    float bottom = 0;
    unsigned lastUse = 0;
};

struct QuadVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};

} // namespace

struct FontObject {
    IDirect3DDevice9* device = nullptr;
    HFONT font = nullptr;
    HDC dc = nullptr;
    std::vector<TextImage> texts;
    unsigned uses = 0;

    ~FontObject() {
        for (TextImage& text : texts) {
            text.texture->Release();
        }
        if (dc != nullptr) {
            DeleteDC(dc);
        }
        if (font != nullptr) {
            DeleteObject(font);
        }
    }
};

namespace {

std::wstring fromCodePage932(const char* text, int count) {
    const int length = MultiByteToWideChar(codePage932, 0, text, count, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(codePage932, 0, text, count, wide.data(), length);
    if (count < 0 && !wide.empty()) {
        wide.pop_back(); // the converted terminator
    }
    return wide;
}

LOGFONTW logFont(const FontDescription& description) {
    LOGFONTW record{};
    record.lfHeight = description.height;
    record.lfWidth = static_cast<LONG>(description.width);
    record.lfWeight = static_cast<LONG>(description.weight);
    record.lfItalic = description.italic ? TRUE : FALSE;
    record.lfCharSet = description.charSet;
    record.lfOutPrecision = description.outputPrecision;
    record.lfQuality = description.quality;
    record.lfPitchAndFamily = description.pitchAndFamily;
    const std::wstring face = fromCodePage932(description.faceName.c_str(), -1);
    std::wcsncpy(record.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return record;
}

UINT powerOfTwoAtLeast(int size) {
    UINT power = 1;
    while (power < static_cast<UINT>(size)) {
        power <<= 1;
    }
    return power;
}

// The text drawn white on black into a 32-bit DIB; its coverage is any channel's value.
std::vector<BYTE> rasterise(FontObject& font, const std::wstring& text, DWORD format, int width,
                            int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(font.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<BYTE> coverage;
    if (bitmap == nullptr) {
        return coverage;
    }
    const HGDIOBJ previous = SelectObject(font.dc, bitmap);
    std::memset(bits, 0, static_cast<std::size_t>(width) * height * 4);
    RECT area = {0, 0, width, height};
    DrawTextW(font.dc, text.c_str(), static_cast<int>(text.size()), &area, format);
    GdiFlush();
    coverage.resize(static_cast<std::size_t>(width) * height);
    const auto* pixels = static_cast<const BYTE*>(bits);
    for (std::size_t i = 0; i < coverage.size(); ++i) {
        coverage[i] = std::max({pixels[4 * i], pixels[4 * i + 1], pixels[4 * i + 2]});
    }
    SelectObject(font.dc, previous);
    DeleteObject(bitmap);
    return coverage;
}

// White texels whose alpha is the coverage; the vertex colour tints them.
IDirect3DTexture9* coverageTexture(IDirect3DDevice9* device, const std::vector<BYTE>& coverage,
                                   int width, int height, UINT textureWidth, UINT textureHeight) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(textureWidth, textureHeight, 1, 0, D3DFMT_A8R8G8B8,
                                     D3DPOOL_MANAGED, &texture, nullptr))) {
        return nullptr;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        return nullptr;
    }
    for (UINT y = 0; y < textureHeight; ++y) {
        auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) +
                                                static_cast<std::size_t>(y) * locked.Pitch);
        for (UINT x = 0; x < textureWidth; ++x) {
            const bool inside = x < static_cast<UINT>(width) && y < static_cast<UINT>(height);
            const BYTE alpha = inside ? coverage[y * static_cast<std::size_t>(width) + x] : 0;
            row[x] = D3DCOLOR_ARGB(alpha, 255, 255, 255);
        }
    }
    texture->UnlockRect(0);
    return texture;
}

bool makeTextImage(FontObject& font, const char* text, INT count, DWORD format, TextImage& image) {
    const std::wstring wide = fromCodePage932(text, count);
    RECT measured = {0, 0, 0, 0};
    const int length = static_cast<int>(wide.size());
    image.height = DrawTextW(font.dc, wide.c_str(), length, &measured, format | DT_CALCRECT);
    image.width = measured.right;
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    const std::vector<BYTE> coverage = rasterise(font, wide, format, image.width, image.height);
    const UINT textureWidth = powerOfTwoAtLeast(image.width);
    const UINT textureHeight = powerOfTwoAtLeast(image.height);
    if (coverage.empty()) {
        return false;
    }
    image.texture = coverageTexture(font.device, coverage, image.width, image.height, textureWidth,
                                    textureHeight);
    image.right = static_cast<float>(image.width) / static_cast<float>(textureWidth);
    image.bottom = static_cast<float>(image.height) / static_cast<float>(textureHeight);
    return image.texture != nullptr;
}

// The cached image of this text, made when it is not there; the least recently used one
// makes room. Null when the text draws nothing.
const TextImage* textImage(FontObject& font, const char* text, INT count, DWORD format) {
    std::string key(reinterpret_cast<const char*>(&format), sizeof format);
    key.append(count < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(count)));
    ++font.uses;
    for (TextImage& cached : font.texts) {
        if (cached.key == key) {
            cached.lastUse = font.uses;
            return &cached;
        }
    }
    TextImage image;
    if (!makeTextImage(font, text, count, format, image)) {
        return nullptr;
    }
    image.key = std::move(key);
    image.lastUse = font.uses;
    if (font.texts.size() == cachedTexts) {
        auto oldest = std::min_element(
            font.texts.begin(), font.texts.end(),
            [](const TextImage& a, const TextImage& b) { return a.lastUse < b.lastUse; });
        oldest->texture->Release();
        font.texts.erase(oldest);
    }
    font.texts.push_back(std::move(image));
    return &font.texts.back();
}

// ---------------------------------------------------------------------------------------------
// The device states the quad sets, read before and written back after.

constexpr D3DRENDERSTATETYPE quadRenderStates[] = {
    D3DRS_LIGHTING,  D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,
    D3DRS_DESTBLEND, D3DRS_ALPHATESTENABLE,  D3DRS_ZENABLE,
    D3DRS_CULLMODE,  D3DRS_FOGENABLE,        D3DRS_SPECULARENABLE,
};
constexpr D3DTEXTURESTAGESTATETYPE quadStageStates[] = {
    D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2,
    D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2,
};
constexpr D3DSAMPLERSTATETYPE quadSamplerStates[] = {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER,
                                                     D3DSAMP_MIPFILTER};

struct SavedStates {
    DWORD render[std::size(quadRenderStates)];
    DWORD stage[std::size(quadStageStates)];
    DWORD sampler[std::size(quadSamplerStates)];
    DWORD stage1ColorOp;
    DWORD fvf;
    IDirect3DBaseTexture9* texture;
    IDirect3DVertexBuffer9* stream;
    UINT streamOffset;
    UINT streamStride;
};

SavedStates saveStates(IDirect3DDevice9* device) {
    SavedStates saved{};
    for (std::size_t i = 0; i < std::size(quadRenderStates); ++i) {
        device->GetRenderState(quadRenderStates[i], &saved.render[i]);
    }
    for (std::size_t i = 0; i < std::size(quadStageStates); ++i) {
        device->GetTextureStageState(0, quadStageStates[i], &saved.stage[i]);
    }
    for (std::size_t i = 0; i < std::size(quadSamplerStates); ++i) {
        device->GetSamplerState(0, quadSamplerStates[i], &saved.sampler[i]);
    }
    device->GetTextureStageState(1, D3DTSS_COLOROP, &saved.stage1ColorOp);
    device->GetFVF(&saved.fvf);
    device->GetTexture(0, &saved.texture);
    device->GetStreamSource(0, &saved.stream, &saved.streamOffset, &saved.streamStride);
    return saved;
}

void restoreStates(IDirect3DDevice9* device, const SavedStates& saved) {
    for (std::size_t i = 0; i < std::size(quadRenderStates); ++i) {
        device->SetRenderState(quadRenderStates[i], saved.render[i]);
    }
    for (std::size_t i = 0; i < std::size(quadStageStates); ++i) {
        device->SetTextureStageState(0, quadStageStates[i], saved.stage[i]);
    }
    for (std::size_t i = 0; i < std::size(quadSamplerStates); ++i) {
        device->SetSamplerState(0, quadSamplerStates[i], saved.sampler[i]);
    }
    device->SetTextureStageState(1, D3DTSS_COLOROP, saved.stage1ColorOp);
    device->SetFVF(saved.fvf);
    device->SetTexture(0, saved.texture);
    device->SetStreamSource(0, saved.stream, saved.streamOffset, saved.streamStride);
    // The Get calls added references.
    if (saved.texture != nullptr) {
        saved.texture->Release();
    }
    if (saved.stream != nullptr) {
        saved.stream->Release();
    }
}

// Texture times colour, blended over the picture by its alpha, unlit, untested, exact texels.
void setQuadStates(IDirect3DDevice9* device, IDirect3DTexture9* texture) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetFVF(quadFvf);
    device->SetTexture(0, texture);
}

void drawQuad(IDirect3DDevice9* device, const TextImage& image, LONG left, LONG top,
              D3DCOLOR color) {
    // Half a pixel back, so that each texel lands on one pixel.
    const float x = static_cast<float>(left) - 0.5f;
    const float y = static_cast<float>(top) - 0.5f;
    const float w = static_cast<float>(image.width);
    const float h = static_cast<float>(image.height);
    const QuadVertex quad[4] = {
        {x, y, 0.0f, 1.0f, color, 0.0f, 0.0f},
        {x + w, y, 0.0f, 1.0f, color, image.right, 0.0f},
        {x, y + h, 0.0f, 1.0f, color, 0.0f, image.bottom},
        {x + w, y + h, 0.0f, 1.0f, color, image.right, image.bottom},
    };
    const SavedStates saved = saveStates(device);
    setQuadStates(device, image.texture);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex));
    restoreStates(device, saved);
}

} // namespace

namespace own {

HRESULT createFont(IDirect3DDevice9* device, const FontDescription& description, FontHandle& font) {
    font = nullptr;
    auto created = std::make_unique<FontObject>();
    created->device = device;
    const LOGFONTW record = logFont(description);
    created->font = CreateFontIndirectW(&record);
    created->dc = CreateCompatibleDC(nullptr);
    if (created->font == nullptr || created->dc == nullptr) {
        return E_FAIL;
    }
    SelectObject(created->dc, created->font);
    SetTextColor(created->dc, RGB(255, 255, 255));
    SetBkMode(created->dc, TRANSPARENT);
    font = created.release();
    return D3D_OK;
}

INT drawText(FontHandle font, const char* text, INT count, RECT& rect, DWORD format,
             D3DCOLOR color) {
    const TextImage* image = textImage(*font, text, count, format);
    if (image == nullptr) {
        return 0;
    }
    drawQuad(font->device, *image, rect.left, rect.top, color);
    return image->height;
}

void releaseFont(FontHandle font) {
    delete font;
}

} // namespace own
