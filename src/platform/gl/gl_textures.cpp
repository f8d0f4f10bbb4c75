// OpenGL textures from image files: implements loadTexture and releaseTexture of gfx/graphics.h
// with
// stb_image (BMP, PNG, JPEG, TGA, GIF, PSD, HDR, PIC, PNM). As D3DX does, a pixel equal to the
// colour key becomes transparent black, and an image without alpha is opaque. Direct3D's
// sampler defaults hold: point sampling, no mipmaps, wrapped coordinates. An image larger than
// the renderer's largest texture is scaled down to fit (stb_image_resize), and a texture the
// renderer cannot make is left out, as an unreadable image is. Only regular files are read: a
// FIFO, a device or a folder counts as missing. File names arrive in code page 932 and are
// opened as UTF-8. Links stb and libepoxy.

#include "gl_graphics.h"
#include "platform/sdl/iconv_code_page.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

// The image's RGBA bytes as ARGB words, texels of the colour key made transparent black. Key 0
// (no key) only matches texels that are transparent black already.
std::vector<std::uint32_t> keyedTexels(const std::uint8_t* rgba, std::size_t count,
                                       std::uint32_t colorKey) {
    std::vector<std::uint32_t> texels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = rgba + 4 * i;
        const std::uint32_t argb =
            (static_cast<std::uint32_t>(p[3]) << 24) | (p[0] << 16) | (p[1] << 8) | p[2];
        texels[i] = argb == colorKey ? 0 : argb;
    }
    return texels;
}

// Opening a FIFO or a device to read it could wait forever or act on the device.
bool isRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The size that fits a width × height image within largest × largest with its aspect kept.
void fitWithin(int largest, int& width, int& height) {
    const auto longer = static_cast<std::int64_t>(std::max(width, height));
    const auto shorten = [&](int side) {
        return static_cast<int>(
            std::max<std::int64_t>(1, (side * std::int64_t{largest} + longer / 2) / longer));
    };
    width = shorten(width);
    height = shorten(height);
}

// Scales the image down when the renderer cannot hold it whole; rgba, width and height then
// describe the scaled copy, kept in scaled. False when the copy cannot be made.
bool scaleToFitRenderer(const std::uint32_t*& argb, int& width, int& height,
                        std::vector<std::uint32_t>& scaled) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (largest <= 0 || (width <= largest && height <= largest)) {
        return true;
    }
    int fittedWidth = width;
    int fittedHeight = height;
    fitWithin(largest, fittedWidth, fittedHeight);
    scaled.resize(static_cast<std::size_t>(fittedWidth) * fittedHeight);
    if (stbir_resize_uint8(reinterpret_cast<const std::uint8_t*>(argb), width, height, 0,
                           reinterpret_cast<std::uint8_t*>(scaled.data()), fittedWidth,
                           fittedHeight, 0, 4) == 0) {
        return false;
    }
    argb = scaled.data();
    width = fittedWidth;
    height = fittedHeight;
    return true;
}

} // namespace

TextureObject* createTextureFromTexels(const std::uint32_t* argb, int width, int height) {
    std::vector<std::uint32_t> scaled;
    if (!scaleToFitRenderer(argb, width, height, scaled)) {
        return nullptr;
    }
    // Earlier errors are cleared so that the upload's own shows.
    while (glGetError() != GL_NO_ERROR) {
    }
    auto* texture = new TextureObject;
    glGenTextures(1, &texture->name);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 argb);
    if (glGetError() != GL_NO_ERROR) {
        // Drawn, the incomplete texture would be black.
        releaseTexture(texture);
        return nullptr;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

TextureHandle loadTexture(const char* fileName, std::uint32_t colorKey) {
    const std::string path = utf8FromCp932(fileName);
    if (!isRegularFile(path)) {
        return nullptr;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_file(file, &width, &height, &channels, 4);
    std::fclose(file);
    if (pixels == nullptr) {
        return nullptr;
    }
    const std::vector<std::uint32_t> texels = keyedTexels(
        pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height), colorKey);
    stbi_image_free(pixels);
    return createTextureFromTexels(texels.data(), width, height);
}

void releaseTexture(TextureHandle texture) {
    drawQueuedQuads(); // a queued quad may read it
    glDeleteTextures(1, &texture->name);
    delete texture;
}
