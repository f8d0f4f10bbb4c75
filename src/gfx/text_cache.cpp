#include "gfx/text_cache.h"

#include <algorithm>

std::vector<std::uint32_t> textTexels(const TextImage& image, int textureWidth, int textureHeight) {
    constexpr std::uint32_t white = 0x00FFFFFF;
    std::vector<std::uint32_t> texels(static_cast<std::size_t>(textureWidth) * textureHeight, 0);
    for (int row = 0; row < image.height; ++row) {
        for (int column = 0; column < image.width; ++column) {
            const std::uint32_t alpha = image.coverage[row * image.width + column];
            texels[static_cast<std::size_t>(row) * textureWidth + column] = white | alpha << 24;
        }
    }
    return texels;
}

ScreenQuad textQuad(const CachedText& text, int x, int y, std::uint32_t color) {
    return screenQuad(static_cast<float>(x + text.left), static_cast<float>(y + text.top),
                      static_cast<float>(text.width), static_cast<float>(text.height), color,
                      text.right, text.bottom);
}

const CachedText* TextCache::find(std::string_view key) {
    for (Entry& entry : entries) {
        if (entry.key == key) {
            entry.lastUse = ++uses;
            return &entry.text;
        }
    }
    return nullptr;
}

const CachedText& TextCache::add(std::string key, const CachedText& text) {
    if (entries.size() < capacity) {
        entries.push_back({});
    }
    Entry& slot =
        *std::min_element(entries.begin(), entries.end(),
                          [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
    if (slot.text.texture != nullptr) {
        releaseTexture(slot.text.texture);
    }
    slot = {std::move(key), text, ++uses};
    return slot.text;
}

void TextCache::clear() {
    for (Entry& entry : entries) {
        if (entry.text.texture != nullptr) {
            releaseTexture(entry.text.texture);
        }
    }
    entries.clear();
}
