#include "gfx/mesh_object.h"

#include "gfx/file_names.h"

namespace {

constexpr std::uint32_t noColorKey = 0;

// Lit meshes take their ambient colour from the diffuse one, whatever the file says.
Material withAmbientFromDiffuse(Material material) {
    material.ambient = material.diffuse;
    return material;
}

TextureHandle textureFromFile(const std::string& fileName) {
    return loadTexture(fileName.c_str(), noColorKey);
}

// Files made on another machine name textures by their author's absolute path; the texture
// beside the model is then found by its bare name in the working folder. The stored name wins
// whenever it opens.
TextureHandle loadMaterialTexture(const std::string& fileName) {
    if (fileName.empty()) {
        return nullptr;
    }
    if (TextureHandle texture = textureFromFile(fileName)) {
        return texture;
    }
    const std::string bare = bareFileName(fileName);
    if (bare.empty() || bare == fileName) {
        return nullptr;
    }
    return textureFromFile(bare);
}

} // namespace

void MeshObject::load(const char* fileName) {
    MeshHandle loadedMesh = nullptr;
    std::vector<MeshMaterial> fileMaterials;
    if (!loadMesh(fileName, loadedMesh, fileMaterials)) {
        return;
    }
    mesh = loadedMesh;
    materials.reserve(fileMaterials.size());
    textures.reserve(fileMaterials.size());
    for (const MeshMaterial& entry : fileMaterials) {
        materials.push_back(withAmbientFromDiffuse(entry.material));
        textures.push_back(loadMaterialTexture(entry.textureFileName));
    }
}

void MeshObject::draw(const Vector& position, const Vector& rotation) {
    Matrix world{};
    meshWorldMatrix(world, position, rotation);
    drawMesh(mesh, world, materials, textures);
}

void MeshObject::release() {
    for (TextureHandle& texture : textures) {
        if (texture != nullptr) {
            releaseTexture(texture);
            texture = nullptr;
        }
    }
    textures.clear();
    materials.clear();
    if (mesh != nullptr) {
        releaseMesh(mesh);
        mesh = nullptr;
    }
}
