#include "gfx/mesh_object.h"

#include "gfx/graphics_setup.h"

namespace {

constexpr std::uint32_t textureStage = 0;

// Lit meshes take their ambient colour from the diffuse one, whatever the file says.
Material withAmbientFromDiffuse(Material material) {
    material.ambient = material.diffuse;
    return material;
}

TextureHandle loadMaterialTexture(const std::string& fileName) {
    if (fileName.empty()) {
        return nullptr;
    }
    TextureHandle texture = nullptr;
    if (createTextureFromFile(device, fileName.c_str(), texture) != graphicsOk) {
        return nullptr;
    }
    return texture;
}

} // namespace

void MeshObject::load(const char* fileName) {
    MeshHandle loadedMesh = nullptr;
    std::vector<MeshMaterial> fileMaterials;
    if (loadMeshFromX(fileName, meshSystemMemory, device, loadedMesh, fileMaterials) !=
            graphicsOk ||
        loadedMesh == nullptr) {
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
    setTransform(device, transformWorld, world);
    for (std::uint32_t subset = 0; subset < materialCount(); ++subset) {
        setMaterial(device, materials[subset]);
        setTexture(device, textureStage, textures[subset]);
        drawMeshSubset(mesh, subset);
    }
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
