// OpenGL meshes: implements loadMesh, drawMesh and releaseMesh of gfx/graphics.h over the
// project's own .x loader (xfile/x_mesh.h). The merged mesh goes into one vertex and one index
// buffer with its triangles grouped by material (gfx/mesh_subsets.h), so that subset i is one
// range; a subset is drawn with the lit program, which lights per vertex as Direct3D 9's fixed
// function lights, depth-tested and not blended. Links libepoxy.

#include "gfx/mesh_check.h"
#include "gfx/mesh_subsets.h"
#include "gl_graphics.h"
#include "platform/sdl/iconv_code_page.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>

struct MeshData {
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint colourBuffer = 0; // 0 when the file gave no vertex colours
    std::vector<SubsetRange> subsets;
};

namespace {

// ---------------------------------------------------------------------------------------------
// Loading

MeshData* uploadMesh(const XMesh& mesh) {
    auto* data = new MeshData;
    SortedTriangles sorted = trianglesByMaterial(mesh);
    data->subsets = std::move(sorted.subsets);
    const std::vector<std::uint32_t>& indices = sorted.indices;
    glGenVertexArrays(1, &data->vertexArray);
    glBindVertexArray(data->vertexArray);
    glGenBuffers(1, &data->vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, data->vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(XVertex)),
                 mesh.vertices.data(), GL_STATIC_DRAW);
    glGenBuffers(1, &data->indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, data->indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(),
                 GL_STATIC_DRAW);
    const auto stride = static_cast<GLsizei>(sizeof(XVertex));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(XVertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(XVertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(XVertex, texcoord)));
    if (!mesh.colours.empty()) {
        // ARGB words are the bytes blue, green, red, alpha in memory: GL_BGRA reads them so.
        glGenBuffers(1, &data->colourBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, data->colourBuffer);
        glBufferData(GL_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(mesh.colours.size() * sizeof(std::uint32_t)),
                     mesh.colours.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 0, nullptr);
    }
    glBindVertexArray(0);
    return data;
}

// ---------------------------------------------------------------------------------------------
// Lighting inputs

// n' = n × N with N the inverse transpose of the upper 3 × 3, which is its cofactor matrix
// over its determinant.
void normalMatrixOf(const Matrix& m, float out[9]) {
    const auto a = [&](int r, int c) { return m.m[r][c]; };
    const float cofactor[9] = {
        a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1), a(1, 2) * a(2, 0) - a(1, 0) * a(2, 2),
        a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0), a(0, 2) * a(2, 1) - a(0, 1) * a(2, 2),
        a(0, 0) * a(2, 2) - a(0, 2) * a(2, 0), a(0, 1) * a(2, 0) - a(0, 0) * a(2, 1),
        a(0, 1) * a(1, 2) - a(0, 2) * a(1, 1), a(0, 2) * a(1, 0) - a(0, 0) * a(1, 2),
        a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0)};
    const float determinant = a(0, 0) * cofactor[0] + a(0, 1) * cofactor[1] + a(0, 2) * cofactor[2];
    const float scale = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    for (int i = 0; i < 9; ++i) {
        out[i] = cofactor[i] * scale;
    }
}

// The unit vector toward a directional light, in view space: the light's direction turned by
// the view, reversed.
void directionToLight(const LitScene& scene, float out[3]) {
    const Vector& dir = scene.light.direction;
    float v[3];
    for (int c = 0; c < 3; ++c) {
        v[c] = dir.x * scene.view.m[0][c] + dir.y * scene.view.m[1][c] + dir.z * scene.view.m[2][c];
    }
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int c = 0; c < 3; ++c) {
        out[c] = length > 0.0f ? -v[c] / length : 0.0f;
    }
}

void uniformColor(GLint location, const ColorValue& color) {
    glUniform4f(location, color.r, color.g, color.b, color.a);
}

// The world, camera, picture and light, the same for every subset.
void setSceneUniforms(const Matrix& world, bool vertexColours) {
    const LitProgram& p = litScene.program;
    Matrix worldView{};
    matrixMultiply(worldView, world, litScene.view);
    float normalMatrix[9];
    normalMatrixOf(worldView, normalMatrix);
    float toLight[3];
    directionToLight(litScene, toLight);
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normalMatrix);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, &litScene.projection.m[0][0]);
    glUniform2f(p.pixelOffset, 2.0f * pixelCentreShift / static_cast<float>(picture.width),
                -2.0f * pixelCentreShift / static_cast<float>(picture.height));
    glUniform1i(p.lighting, GL_TRUE);
    glUniform1i(p.specularEnable, GL_TRUE);
    glUniform1i(p.vertexColours, vertexColours);
    uniformColor(p.lightDiffuse, litScene.light.diffuse);
    uniformColor(p.lightSpecular, litScene.light.specular);
    uniformColor(p.lightAmbient, litScene.light.ambient);
    glUniform3fv(p.toLight, 1, toLight);
}

void setMaterialUniforms(const Material& material, const TextureObject* texture) {
    const LitProgram& p = litScene.program;
    uniformColor(p.materialDiffuse, material.diffuse);
    uniformColor(p.materialAmbient, material.ambient);
    uniformColor(p.materialSpecular, material.specular);
    uniformColor(p.materialEmissive, material.emissive);
    glUniform1f(p.materialPower, material.power);
    glUniform1i(p.hasTexture, texture != nullptr);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->name : 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Meshes

bool loadMesh(const char* fileName, MeshHandle& mesh, std::vector<MeshMaterial>& materials) {
    mesh = nullptr;
    materials.clear();
    XMesh loaded;
    std::string error;
    const std::string path = utf8FromCp932(fileName);
    if (!loadXFile(path.c_str(), loaded, error)) {
        std::fprintf(stderr, "viewer: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    if (meshFault(loaded) != MeshFault::none) {
        std::fprintf(stderr, "viewer: %s: the mesh indexes past its vertices or materials\n",
                     path.c_str());
        return false;
    }
    mesh = uploadMesh(loaded);
    materials = meshMaterials(loaded);
    return true;
}

void drawMesh(MeshHandle mesh, const Matrix& world, const std::vector<Material>& materials,
              const std::vector<TextureHandle>& textures) {
    if (mesh == nullptr) {
        return;
    }
    drawQueuedQuads();
    glUseProgram(litScene.program.name);
    setSceneUniforms(world, mesh->colourBuffer != 0);
    // The meshes' triangles run clockwise on the screen, as Direct3D draws them.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glDisable(GL_BLEND);
    glBindVertexArray(mesh->vertexArray);
    for (std::uint32_t i = 0; i < materials.size(); ++i) {
        const SubsetRange* range = subsetOf(mesh->subsets, i);
        if (range == nullptr) {
            continue; // no triangle has this material
        }
        setMaterialUniforms(materials[i], i < textures.size() ? textures[i] : nullptr);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * range->triangleCount),
                       GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(std::uintptr_t{range->firstTriangle} * 3 *
                                               sizeof(std::uint32_t)));
    }
}

void releaseMesh(MeshHandle mesh) {
    glDeleteBuffers(1, &mesh->vertexBuffer);
    glDeleteBuffers(1, &mesh->indexBuffer);
    if (mesh->colourBuffer != 0) {
        glDeleteBuffers(1, &mesh->colourBuffer);
    }
    glDeleteVertexArrays(1, &mesh->vertexArray);
    delete mesh;
}
