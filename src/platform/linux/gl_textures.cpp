// OpenGL textures from image files: implements the texture operations of gfx/graphics.h with
// stb_image (BMP, PNG, JPEG, TGA, GIF, PSD, HDR, PIC, PNM). As D3DX does, a pixel equal to the
// colour key becomes transparent black, and an image without alpha is opaque. Direct3D's
// sampler defaults hold: point sampling, no mipmaps, wrapped coordinates. File names arrive in
// code page 932 and are opened as UTF-8. Links stb and libepoxy.

#include "gfx/graphics.h"

#include "gl_device.h"
#include "linux_platform.h"

#include <stb_image.h>

#include <cstring>
#include <string>

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

GraphicsResult loadTexture(const char* fileName, std::uint32_t colorKey, TextureHandle& texture) {
    texture = nullptr;
    const std::string path = utf8FromCp932(fileName);
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
    return graphicsOk;
}

} // namespace

TextureObject* createTextureFromPixels(const std::uint8_t* rgba, int width, int height) {
    auto* texture = new TextureObject;
    texture->width = width;
    texture->height = height;
    glGenTextures(1, &texture->name);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
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
