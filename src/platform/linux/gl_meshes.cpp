// OpenGL meshes: implements the mesh operations of gfx/graphics.h over the project's own .x
// loader (xfile/x_mesh.h). The merged mesh goes into one vertex and one index buffer with its
// triangles sorted by attribute, so that subset i is one range; a subset is drawn with the
// device's current transforms, light, material and texture, lit per vertex as Direct3D 9's
// fixed function lights. Links libepoxy.

#include "gfx/graphics.h"
#include "gfx/mesh_check.h"

#include "gl_device.h"
#include "linux_platform.h"
#include "xfile/x_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <numeric>
#include <string>

namespace {

constexpr GraphicsResult invalidData =
    static_cast<GraphicsResult>(0x88760B59); // D3DXERR_INVALIDDATA
constexpr GraphicsResult invalidCall = static_cast<GraphicsResult>(0x8876086C);

// ---------------------------------------------------------------------------------------------
// Loading

Material asMaterial(const XMaterial& x) {
    Material material{};
    material.diffuse = {x.diffuse[0], x.diffuse[1], x.diffuse[2], x.diffuse[3]};
    material.specular = {x.specular[0], x.specular[1], x.specular[2], 1.0f};
    material.emissive = {x.emissive[0], x.emissive[1], x.emissive[2], 1.0f};
    material.power = x.power;
    return material;
}

// The triangles' indices reordered so that attribute 0 comes first, then 1, and so on; a
// triangle keeps its place among those of its attribute.
std::vector<std::uint32_t> indicesSortedByAttribute(const XMesh& mesh,
                                                    std::vector<MeshData::IndexRange>& subsets) {
    const std::size_t triangleCount = mesh.attributes.size();
    std::vector<std::size_t> order(triangleCount);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return mesh.attributes[a] < mesh.attributes[b];
    });
    std::vector<std::uint32_t> indices;
    indices.reserve(triangleCount * 3);
    for (std::size_t triangle : order) {
        const std::uint32_t attribute = mesh.attributes[triangle];
        if (subsets.size() <= attribute) {
            subsets.resize(attribute + 1);
            subsets[attribute].first = static_cast<GLsizei>(indices.size());
        }
        subsets[attribute].count += 3;
        indices.insert(indices.end(), mesh.indices.begin() + 3 * triangle,
                       mesh.indices.begin() + 3 * triangle + 3);
    }
    return indices;
}

MeshData* uploadMesh(const XMesh& mesh) {
    auto* data = new MeshData;
    const std::vector<std::uint32_t> indices = indicesSortedByAttribute(mesh, data->subsets);
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
void directionToLight(const DeviceObject& d, float out[3]) {
    const Vector& dir = d.light.direction;
    float v[3];
    for (int c = 0; c < 3; ++c) {
        v[c] = dir.x * d.view.m[0][c] + dir.y * d.view.m[1][c] + dir.z * d.view.m[2][c];
    }
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int c = 0; c < 3; ++c) {
        out[c] = length > 0.0f ? -v[c] / length : 0.0f;
    }
}

void uniformColor(GLint location, const ColorValue& color) {
    glUniform4f(location, color.r, color.g, color.b, color.a);
}

void setLitUniforms(const DeviceObject& d) {
    const LitProgram& p = d.lit;
    Matrix worldView{};
    matrixMultiply(worldView, d.world, d.view);
    float normalMatrix[9];
    normalMatrixOf(worldView, normalMatrix);
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normalMatrix);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, &d.projection.m[0][0]);
    glUniform2f(p.pixelOffset, 2.0f * pixelCentreShift / static_cast<float>(d.width),
                -2.0f * pixelCentreShift / static_cast<float>(d.height));

    const bool lit = d.lightEnabled && d.light.type == lightDirectional;
    const ColorValue none{0.0f, 0.0f, 0.0f, 0.0f};
    float toLight[3] = {0.0f, 0.0f, 0.0f};
    if (lit) {
        directionToLight(d, toLight);
    }
    glUniform1i(p.lighting, d.lighting);
    uniformColor(p.lightDiffuse, lit ? d.light.diffuse : none);
    uniformColor(p.lightSpecular, lit ? d.light.specular : none);
    uniformColor(p.lightAmbient, lit ? d.light.ambient : none);
    glUniform3fv(p.toLight, 1, toLight);
    uniformColor(p.materialDiffuse, d.material.diffuse);
    uniformColor(p.materialAmbient, d.material.ambient);
    uniformColor(p.materialSpecular, d.material.specular);
    uniformColor(p.materialEmissive, d.material.emissive);
    glUniform1f(p.materialPower, d.material.power);
    glUniform1i(p.specularEnable, d.specularEnable);
    glUniform1i(p.hasTexture, d.texture != nullptr);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Meshes

GraphicsResult loadMeshFromX(const char* fileName, std::uint32_t, DeviceHandle device,
                             MeshHandle& mesh, std::vector<MeshMaterial>& materials) {
    mesh = nullptr;
    materials.clear();
    XMesh loaded;
    std::string error;
    const std::string path = utf8FromCp932(fileName);
    if (device == nullptr || !loadXFile(path.c_str(), loaded, error)) {
        std::fprintf(stderr, "viewer: %s: %s\n", path.c_str(), error.c_str());
        return invalidData;
    }
    if (meshFault(loaded) != MeshFault::none) {
        std::fprintf(stderr, "viewer: %s: the mesh indexes past its vertices or materials\n",
                     path.c_str());
        return invalidData;
    }
    mesh = uploadMesh(loaded);
    for (const XMaterial& entry : loaded.materials) {
        materials.push_back({asMaterial(entry), entry.textureFileName});
    }
    return graphicsOk;
}

GraphicsResult drawMeshSubset(MeshHandle mesh, std::uint32_t subset) {
    if (mesh == nullptr || currentDevice == nullptr) {
        return invalidCall;
    }
    if (subset >= mesh->subsets.size() || mesh->subsets[subset].count == 0) {
        return graphicsOk; // no triangle has this attribute
    }
    DeviceObject& d = *currentDevice;
    glUseProgram(d.lit.name);
    setLitUniforms(d);
    glUniform1i(d.lit.vertexColours, mesh->colourBuffer != 0);
    glBindTexture(GL_TEXTURE_2D, d.texture != nullptr ? d.texture->name : 0);
    applyBlendState(d);
    glBindVertexArray(mesh->vertexArray);
    const MeshData::IndexRange& range = mesh->subsets[subset];
    glDrawElements(
        GL_TRIANGLES, range.count, GL_UNSIGNED_INT,
        reinterpret_cast<void*>(static_cast<std::uintptr_t>(range.first) * sizeof(std::uint32_t)));
    return graphicsOk;
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
