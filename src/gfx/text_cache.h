// Texts drawn as textures, kept by content: the help text and the legend never change and the
// value line only while a value does, so most frames make no texture at all. Both platforms'
// own text drawing lay a text out into coverage, turn it into texels here, and keep the
// texture in a TextCache.
#pragma once

#include "gfx/graphics.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A text laid out as coverage: one byte per pixel (0 none, 255 whole), top row first, placed at
// (left, top) from the point the text is drawn at.
struct TextImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
};

// White texels (ARGB words) whose alpha is the coverage, so that the vertex colour alone gives
// the text its colour. Rows are textureWidth texels long (at least the image's width); the
// texels past the image are transparent.
std::vector<std::uint32_t> textTexels(const TextImage& image, int textureWidth, int textureHeight);

// A rectangle of a text image, in its pixels.
struct TextArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Rectangles that hold every inked pixel of the image exactly once: in each band of rows with
// ink, the runs of columns with ink, runs fewer than inkGap columns apart taken as one. Drawn
// alone, they leave out the blank pixels between lines and words, which would blend nothing
// and which a software rasteriser blends at full cost.
std::vector<TextArea> inkedAreas(const TextImage& image);
constexpr int inkGap = 6;

// A text's texture and where it lies: the image's far corner is at (right, bottom) in texture
// coordinates, since a texture may be larger than its image; inked are the image's inkedAreas.
struct CachedText {
    TextureHandle texture = nullptr; // null for a text that covers no pixel
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    float right = 1.0f;
    float bottom = 1.0f;
    std::vector<TextArea> inked{};
};

// The quads, one for each inked area, that draw the cached text with its origin at (x, y) in the
// colour.
std::vector<ScreenQuad> textQuads(const CachedText& text, int x, int y, std::uint32_t color);

// The last few texts drawn; the least recently drawn one gives way to a new one.
class TextCache {
  public:
    static constexpr std::size_t capacity = 8;

    // The text kept under the key, or null.
    const CachedText* find(std::string_view key);
    // Keeps the text under the key, releasing the texture of the one it replaces.
    const CachedText& add(std::string key, const CachedText& text);
    // Releases every texture kept.
    void clear();

  private:
    struct Entry {
        std::string key;
        CachedText text;
        unsigned lastUse = 0;
    };
    std::vector<Entry> entries;
    unsigned uses = 0;
};
