#include "gfx/mesh_object.h"

#include "gfx/file_names.h"
#include "gfx/graphics_setup.h"

namespace {

constexpr std::uint32_t textureStage = 0;

// Lit meshes take their ambient colour from the diffuse one, whatever the file says.
Material withAmbientFromDiffuse(Material material) {
    material.ambient = material.diffuse;
    return material;
}

TextureHandle textureFromFile(const std::string& fileName) {
    TextureHandle texture = nullptr;
    if (createTextureFromFile(device, fileName.c_str(), texture) != graphicsOk) {
        return nullptr;
    }
    return texture;
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
    // 32-bit indices, so that a model of more than 65,535 vertices is drawn whole; managed, so
    // that the device keeps its own copy instead of taking the vertices from system memory
    // in every draw (which halved the frame rate), and a reset device keeps it too.
    if (loadMeshFromX(fileName, meshManaged | mesh32BitIndices, device, loadedMesh,
                      fileMaterials) != graphicsOk ||
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
