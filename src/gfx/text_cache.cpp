#include "gfx/text_cache.h"

#include <algorithm>
#include <cstddef>

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

namespace {

bool inked(const TextImage& image, int column, int firstRow, int endRow) {
    for (int row = firstRow; row < endRow; ++row) {
        if (image.coverage[static_cast<std::size_t>(row) * image.width + column] != 0) {
            return true;
        }
    }
    return false;
}

bool rowInked(const TextImage& image, int row) {
    const auto first = image.coverage.begin() + static_cast<std::ptrdiff_t>(row) * image.width;
    return std::any_of(first, first + image.width, [](std::uint8_t c) { return c != 0; });
}

// The runs of inked columns in the rows [firstRow, endRow), each added as an area.
void addInkedRuns(const TextImage& image, int firstRow, int endRow, std::vector<TextArea>& areas) {
    int runStart = -1;
    int runEnd = -1; // one past the run's last inked column
    for (int column = 0; column < image.width; ++column) {
        if (!inked(image, column, firstRow, endRow)) {
            continue;
        }
        if (runStart >= 0 && column - runEnd >= inkGap) {
            areas.push_back({runStart, firstRow, runEnd - runStart, endRow - firstRow});
            runStart = -1;
        }
        if (runStart < 0) {
            runStart = column;
        }
        runEnd = column + 1;
    }
    if (runStart >= 0) {
        areas.push_back({runStart, firstRow, runEnd - runStart, endRow - firstRow});
    }
}

} // namespace

std::vector<TextArea> inkedAreas(const TextImage& image) {
    std::vector<TextArea> areas;
    int row = 0;
    while (row < image.height) {
        if (!rowInked(image, row)) {
            ++row;
            continue;
        }
        int bandEnd = row + 1;
        while (bandEnd < image.height && rowInked(image, bandEnd)) {
            ++bandEnd;
        }
        addInkedRuns(image, row, bandEnd, areas);
        row = bandEnd;
    }
    return areas;
}

std::vector<ScreenQuad> textQuads(const CachedText& text, int x, int y, std::uint32_t color) {
    const float uPerPixel = text.right / static_cast<float>(text.width);
    const float vPerPixel = text.bottom / static_cast<float>(text.height);
    std::vector<ScreenQuad> quads;
    quads.reserve(text.inked.size());
    for (const TextArea& area : text.inked) {
        const auto left = static_cast<float>(x + text.left + area.x);
        const auto top = static_cast<float>(y + text.top + area.y);
        const auto right = left + static_cast<float>(area.width);
        const auto bottom = top + static_cast<float>(area.height);
        const float u0 = uPerPixel * static_cast<float>(area.x);
        const float v0 = vPerPixel * static_cast<float>(area.y);
        const float u1 = uPerPixel * static_cast<float>(area.x + area.width);
        const float v1 = vPerPixel * static_cast<float>(area.y + area.height);
        quads.push_back({{{left, top, color, u0, v0},
                          {right, top, color, u1, v0},
                          {left, bottom, color, u0, v1},
                          {right, bottom, color, u1, v1}}});
    }
    return quads;
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
