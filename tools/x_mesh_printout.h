// The printout that x_mesh_dump and d3dx_probe share, so that scripts/diff-x-loader.sh compares
// like with like: "vertices N", then a line per vertex (position, normal, texture coordinate,
// and a vertex colour as alpha, red, green, blue when the mesh has them); "triangles N", then a
// line per triangle (three indices and the material); "materials N", then a line per material
// (diffuse RGBA, power, specular RGB, emissive RGB, texture name).
#pragma once

#include "xfile/x_mesh.h"

#include <cstdint>
#include <cstdio>

// A missing normal or texture coordinate prints as zeros.
inline void printVertexLine(const float* position, const float* normal, const float* texcoord,
                            const std::uint32_t* colour) {
    const float zero[3] = {0, 0, 0};
    normal = normal != nullptr ? normal : zero;
    texcoord = texcoord != nullptr ? texcoord : zero;
    std::printf("v %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g", position[0], position[1], position[2],
                normal[0], normal[1], normal[2], texcoord[0], texcoord[1]);
    if (colour != nullptr) {
        const std::uint32_t c = *colour;
        std::printf(" %u %u %u %u", c >> 24, c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
    }
    std::printf("\n");
}

inline void printMaterialLine(const float diffuse[4], float power, const float specular[3],
                              const float emissive[3], const char* texture) {
    std::printf("m %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g \"%s\"\n", diffuse[0],
                diffuse[1], diffuse[2], diffuse[3], power, specular[0], specular[1], specular[2],
                emissive[0], emissive[1], emissive[2], texture != nullptr ? texture : "");
}

// What our loader made of a file.
inline void printLoadedMesh(const XMesh& mesh) {
    std::printf("vertices %zu\n", mesh.vertices.size());
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        const XVertex& v = mesh.vertices[i];
        printVertexLine(v.position, mesh.hasNormals ? v.normal : nullptr,
                        mesh.hasTexcoords ? v.texcoord : nullptr,
                        mesh.colours.empty() ? nullptr : &mesh.colours[i]);
    }
    std::printf("triangles %zu\n", mesh.attributes.size());
    for (std::size_t t = 0; t < mesh.attributes.size(); ++t) {
        std::printf("t %u %u %u %u\n", mesh.indices[t * 3], mesh.indices[t * 3 + 1],
                    mesh.indices[t * 3 + 2], mesh.attributes[t]);
    }
    std::printf("materials %zu\n", mesh.materials.size());
    for (const XMaterial& m : mesh.materials) {
        printMaterialLine(m.diffuse, m.power, m.specular, m.emissive, m.textureFileName.c_str());
    }
}
