// Textures from image files without D3DX: the file decoded with stb_image (BMP, PNG, JPEG,
// TGA and more; the decoder the native build uses) into one A8R8G8B8 level. As with
// D3DXCreateTextureFromFileEx, a size given as D3DX_DEFAULT is the image's rounded up to a
// power of two (stretched, nearest texel), and a texel equal to a non-zero colour key becomes
// transparent black. One level only: the viewer samples with the default filters, which
// never read a smaller level.

#include "platform/win32/own_helpers.h"
#include "platform/win32/win32_files.h"

#include <d3dx9.h>
#include <windows.h>

#include <cstdint>
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

UINT powerOfTwoAtLeast(int size) {
    UINT power = 1;
    while (power < static_cast<UINT>(size)) {
        power <<= 1;
    }
    return power;
}

// D3DX_DEFAULT (and 0) take the image's size rounded up to a power of two;
// D3DX_DEFAULT_NONPOW2 takes it as it is; any other value is the size asked for.
UINT textureSize(UINT asked, int imageSize) {
    if (asked == D3DX_DEFAULT || asked == 0) {
        return powerOfTwoAtLeast(imageSize);
    }
    return asked == D3DX_DEFAULT_NONPOW2 ? static_cast<UINT>(imageSize) : asked;
}

D3DCOLOR argbOf(const stbi_uc* rgba) {
    return D3DCOLOR_ARGB(rgba[3], rgba[0], rgba[1], rgba[2]);
}

// Each texel takes the image's pixel nearest to its centre.
void fillTexels(const ImagePixels& image, D3DCOLOR colorKey, UINT width, UINT height,
                const D3DLOCKED_RECT& locked) {
    for (UINT y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) +
                                                static_cast<std::size_t>(y) * locked.Pitch);
        const std::size_t sourceY = (2 * y + 1) * static_cast<std::size_t>(image.height) /
                                    (2 * static_cast<std::size_t>(height));
        for (UINT x = 0; x < width; ++x) {
            const std::size_t sourceX = (2 * x + 1) * static_cast<std::size_t>(image.width) /
                                        (2 * static_cast<std::size_t>(width));
            const D3DCOLOR texel = argbOf(image.rgba.get() + 4 * (sourceY * image.width + sourceX));
            row[x] = colorKey != 0 && texel == colorKey ? 0 : texel;
        }
    }
}

} // namespace

namespace own {

HRESULT createTextureFromFileEx(IDirect3DDevice9* device, const char* fileName, UINT width,
                                UINT height, UINT, DWORD usage, D3DFORMAT, D3DPOOL pool, DWORD,
                                DWORD, D3DCOLOR colorKey, IDirect3DTexture9** texture) {
    *texture = nullptr;
    ImagePixels image;
    if (!decodeImage(fileName, image)) {
        return D3DXERR_INVALIDDATA;
    }
    width = textureSize(width, image.width);
    height = textureSize(height, image.height);
    IDirect3DTexture9* created = nullptr;
    HRESULT result =
        device->CreateTexture(width, height, 1, usage, D3DFMT_A8R8G8B8, pool, &created, nullptr);
    if (FAILED(result)) {
        return result;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(result = created->LockRect(0, &locked, nullptr, 0))) {
        created->Release();
        return result;
    }
    fillTexels(image, colorKey, width, height, locked);
    created->UnlockRect(0);
    *texture = created;
    return D3D_OK;
}

// D3DXCreateTextureFromFile is the Ex form with every choice left to its default.
HRESULT createTextureFromFile(IDirect3DDevice9* device, const char* fileName,
                              IDirect3DTexture9** texture) {
    return createTextureFromFileEx(device, fileName, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                   D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                   texture);
}

} // namespace own
