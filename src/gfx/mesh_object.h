// A mesh loaded from a DirectX .x file with its materials and their textures, drawn at a
// position and a rotation. Subset i of the mesh is drawn with material i and texture i.
#pragma once

#include "gfx/graphics.h"
#include "state/viewer_state.h"

#include <cstdint>
#include <string>
#include <vector>

class MeshObject {
  public:
    // Loads the mesh and one texture per material. A file that cannot be loaded leaves the
    // object empty: it then draws no subset and has nothing to release.
    void load(const char* fileName);
    // Turns the mesh about z, then x, then y, moves it to the position and draws every subset.
    void draw(const Vector& position, const Vector& rotation);
    void release();

    MeshHandle mesh = nullptr;
    std::vector<Material> materials;
    std::vector<TextureHandle> textures; // null where a material has no texture
    std::uint32_t materialCount() const { return static_cast<std::uint32_t>(materials.size()); }
};
