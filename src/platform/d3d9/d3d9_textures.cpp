// Direct3D 9 textures from image files: implements loadTexture and releaseTexture of
// gfx/graphics.h. With D3DX, D3DXCreateTextureFromFileEx with every choice but the colour key
// left to its default (what D3DXCreateTextureFromFile does with no key). Without it, the file
// decoded with stb_image (BMP, PNG, JPEG, TGA and more; the decoder the native build uses) into
// one managed A8R8G8B8 level of the same size: the image's rounded up to a power of two
// (stretched, nearest texel), a texel equal to a non-zero colour key made transparent black.
// One level only: the viewer samples with the default filters, which never read a smaller one.
// Also makes the textures of the texts drawn without D3DX (d3d9_text.cpp).

#include "platform/d3d9/d3d9_graphics.h"
#include "platform/d3d9/d3dx_runtime.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_files.h"

#include <cstdint>
#include <cstring>
#include <memory>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO // the file is read here, by the Windows layer's own file calls
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

namespace {

struct ImagePixels {
    int width = 0;
    int height = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgba{nullptr, stbi_image_free};
};

bool decodeImage(const char* fileName, ImagePixels& image) {
    const std::vector<unsigned char> bytes = readWholeFile(fileName);
    if (bytes.empty()) {
        return false;
    }
    int channels = 0;
    image.rgba.reset(stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()),
                                           &image.width, &image.height, &channels, 4));
    return image.rgba != nullptr;
}

D3DCOLOR argbOf(const stbi_uc* rgba) {
    return D3DCOLOR_ARGB(rgba[3], rgba[0], rgba[1], rgba[2]);
}

// The image stretched to the texture's size, each texel taking the image's pixel nearest to its
// centre.
std::vector<std::uint32_t> stretchedTexels(const ImagePixels& image, D3DCOLOR colorKey, UINT width,
                                           UINT height) {
    std::vector<std::uint32_t> texels;
    texels.reserve(static_cast<std::size_t>(width) * height);
    for (UINT y = 0; y < height; ++y) {
        const std::size_t sourceY = (2 * y + 1) * static_cast<std::size_t>(image.height) /
                                    (2 * static_cast<std::size_t>(height));
        for (UINT x = 0; x < width; ++x) {
            const std::size_t sourceX = (2 * x + 1) * static_cast<std::size_t>(image.width) /
                                        (2 * static_cast<std::size_t>(width));
            const D3DCOLOR texel = argbOf(image.rgba.get() + 4 * (sourceY * image.width + sourceX));
            texels.push_back(colorKey != 0 && texel == colorKey ? 0 : texel);
        }
    }
    return texels;
}

IDirect3DTexture9* loadWithStbImage(const char* fileName, D3DCOLOR colorKey) {
    ImagePixels image;
    if (!decodeImage(fileName, image)) {
        return nullptr;
    }
    const UINT width = powerOfTwoAtLeast(image.width);
    const UINT height = powerOfTwoAtLeast(image.height);
    return createTexelTexture(width, height, stretchedTexels(image, colorKey, width, height));
}

IDirect3DTexture9* loadWithD3dx(const char* fileName, D3DCOLOR colorKey) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(d3dxFunctions()->createTextureFromFileEx(
            device, fromCodePage932(fileName).c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
            D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, colorKey, nullptr, nullptr,
            &texture))) {
        return nullptr;
    }
    return texture;
}

} // namespace

UINT powerOfTwoAtLeast(int size) {
    UINT power = 1;
    while (power < static_cast<UINT>(size)) {
        power <<= 1;
    }
    return power;
}

IDirect3DTexture9* createTexelTexture(UINT width, UINT height,
                                      const std::vector<std::uint32_t>& texels) {
    IDirect3DTexture9* texture = nullptr;
    D3DLOCKED_RECT locked{};
    if (FAILED(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                     &texture, nullptr))) {
        return nullptr;
    }
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        return nullptr;
    }
    for (UINT row = 0; row < height; ++row) {
        std::memcpy(static_cast<BYTE*>(locked.pBits) + static_cast<std::size_t>(row) * locked.Pitch,
                    texels.data() + static_cast<std::size_t>(row) * width,
                    width * sizeof texels[0]);
    }
    texture->UnlockRect(0);
    return texture;
}

TextureHandle loadTexture(const char* fileName, std::uint32_t colorKey) {
    return textureHandle(d3dxFunctions() != nullptr ? loadWithD3dx(fileName, colorKey)
                                                    : loadWithStbImage(fileName, colorKey));
}

void releaseTexture(TextureHandle texture) {
    direct3dTexture(texture)->Release();
}
