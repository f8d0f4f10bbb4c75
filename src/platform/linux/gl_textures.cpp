// OpenGL textures from image files: implements the texture operations of gfx/graphics.h with
// stb_image (BMP, PNG, JPEG, TGA, GIF, PSD, HDR, PIC, PNM). As D3DX does, a pixel equal to the
// colour key becomes transparent black, and an image without alpha is opaque. Direct3D's
// sampler defaults hold: point sampling, no mipmaps, wrapped coordinates. An image larger than
// the renderer's largest texture is scaled down to fit (stb_image_resize), and a texture the
// renderer cannot make is left out, as an unreadable image is. Only regular files are read: a
// FIFO, a device or a folder counts as missing. File names arrive in code page 932 and are
// opened as UTF-8. Links stb and libepoxy.

#include "gfx/graphics.h"

#include "gl_device.h"
#include "linux_platform.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr GraphicsResult fileNotFound = static_cast<GraphicsResult>(0x88760866); // D3DERR_NOTFOUND
constexpr GraphicsResult invalidData =
    static_cast<GraphicsResult>(0x88760B59); // D3DXERR_INVALIDDATA

std::uint32_t argbOf(const std::uint8_t* rgba) {
    return (static_cast<std::uint32_t>(rgba[3]) << 24) | (rgba[0] << 16) | (rgba[1] << 8) | rgba[2];
}

void applyColorKey(std::uint8_t* rgba, std::size_t pixelCount, std::uint32_t colorKey) {
    for (std::size_t i = 0; i < pixelCount; ++i) {
        if (argbOf(rgba + 4 * i) == colorKey) {
            std::memset(rgba + 4 * i, 0, 4);
        }
    }
}

// Opening a FIFO or a device to read it could wait forever or act on the device.
bool isRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

GraphicsResult loadTexture(const char* fileName, std::uint32_t colorKey, TextureHandle& texture) {
    texture = nullptr;
    const std::string path = utf8FromCp932(fileName);
    if (!isRegularFile(path)) {
        return fileNotFound;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return fileNotFound;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_file(file, &width, &height, &channels, 4);
    std::fclose(file);
    if (pixels == nullptr) {
        return invalidData;
    }
    // Key 0 (no key) would only match pixels that are transparent black already.
    applyColorKey(pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                  colorKey);
    texture = createTextureFromPixels(pixels, width, height);
    stbi_image_free(pixels);
    return texture != nullptr ? graphicsOk : invalidData;
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
bool scaleToFitRenderer(const std::uint8_t*& rgba, int& width, int& height,
                        std::vector<std::uint8_t>& scaled) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (largest <= 0 || (width <= largest && height <= largest)) {
        return true;
    }
    int fittedWidth = width;
    int fittedHeight = height;
    fitWithin(largest, fittedWidth, fittedHeight);
    scaled.resize(static_cast<std::size_t>(fittedWidth) * fittedHeight * 4);
    if (stbir_resize_uint8(rgba, width, height, 0, scaled.data(), fittedWidth, fittedHeight, 0,
                           4) == 0) {
        return false;
    }
    rgba = scaled.data();
    width = fittedWidth;
    height = fittedHeight;
    return true;
}

} // namespace

TextureObject* createTextureFromPixels(const std::uint8_t* rgba, int width, int height) {
    std::vector<std::uint8_t> scaled;
    if (!scaleToFitRenderer(rgba, width, height, scaled)) {
        return nullptr;
    }
    // Earlier errors are cleared so that the upload's own shows.
    while (glGetError() != GL_NO_ERROR) {
    }
    auto* texture = new TextureObject;
    texture->width = width;
    texture->height = height;
    glGenTextures(1, &texture->name);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
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

GraphicsResult createTextureFromFile(DeviceHandle, const char* fileName, TextureHandle& texture) {
    return loadTexture(fileName, 0, texture);
}

// Size, mip levels, format, pool and filters are left to their defaults by the viewer, which
// here means the image's own size with one level.
GraphicsResult createTextureFromFileEx(DeviceHandle, const char* fileName, std::uint32_t,
                                       std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                       std::uint32_t, std::uint32_t, std::uint32_t,
                                       std::uint32_t colorKey, TextureHandle& texture) {
    return loadTexture(fileName, colorKey, texture);
}

void releaseTexture(TextureHandle texture) {
    glDeleteTextures(1, &texture->name);
    delete texture;
}
